#include "app/StartSteps.h"

#include "catalogue/CatalogueFile.h"

#include <gtest/gtest.h>

#include <stdexcept>

// One broken file must not cost the user the rest of the start, nor hide the other faults.
TEST(StartStepsTest, EveryStepRunsAndEachKindOfFailureIsToldItsOwnWay)
{
    StartSteps steps;
    int ran = 0;
    steps.Tell("");                  // nothing to tell
    steps.Tell("first start: copy"); // told as it is
    steps.Run([&] { ++ran, throw FileError("categories.dat missing"); });
    steps.Run([&] { ++ran, throw IncompleteRead("products.dat read in part"); });
    steps.Run([&] { ++ran; });
    steps.Run([&] { ++ran, throw std::runtime_error("sites.dat missing"); });
    steps.Run([&] { ++ran, throw IncompleteRead("sites.dat is UTF-16"); });
    EXPECT_EQ(ran, 5);
    EXPECT_EQ(steps.Failures(), "categories.dat missing; sites.dat missing");
    EXPECT_EQ(steps.Told(),
              (std::vector<std::string>{"first start: copy", "products.dat read in part", "sites.dat is UTF-16"}));
}
