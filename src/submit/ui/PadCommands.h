#pragma once

#include "catalogue/ui/ProductsPage.h"
#include "submit/PadFetch.h"
#include "submit/PadTest.h"
#include "submit/PadValidator.h"
#include "submit/ui/SubmitCommands.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class RunRecorder;

// Test PAD(s), Validate PAD(s) and the PAD downloads of the product dialogs and the PAD
// editor, as the main window runs them beside the submissions: their workers are made as the
// runs' are (SubmitCommands' worker factory, proxy setting and owner thread; a PAD test still
// connects directly), and the tests and validations are recorded in the runs' history. They
// check the products of the submission's wiring, and tell how a validation goes through its
// status bar text; the report goes to the reports/ beside its data/.
//
// Lives on the GUI thread; `submission` outlives it. Its destruction stops and joins every
// worker it started.
class PadCommands {
public:
    static constexpr const char* TestFailedText = "Test PAD: ";

    explicit PadCommands(SubmitCommands& submission);
    ~PadCommands();
    PadCommands(const PadCommands&) = delete;
    PadCommands& operator=(const PadCommands&) = delete;

    // The Products page's PAD calls: these commands, the categories of `categories` for a
    // validation, and the PAD editor's rules and downloads (its Help is the window's to set).
    ProductsPage::PadCalls Calls(std::function<std::vector<std::string>()> categories);

    void TestPad();
    void TestPads();
    // Validate PAD (the selected product) and Validate PADs (the checked ones): the PAD files
    // are downloaded (through the proxy setting, at most Speed at once) and checked; the
    // status bar shows how far it has come, and when the last one ends the validation report
    // goes to reports/validate-*.txt. CancelValidation (Escape) breaks off what is under way.
    void ValidatePad();
    void ValidatePads();
    void CancelValidation();
    bool Validating() const { return validator_.Busy(); }
    void SetCategories(const std::vector<std::string>& categories) { validator_.SetCategories(categories); }
    // The info tip's lines for a product: one per problem of its last validation.
    std::string ValidationTip(int productRow) const;
    // The report of the last validation batch; empty before the first.
    const std::string& LastValidationReport() const { return lastValidationReport_; }
    // Breaks off every test, validation and download and waits for their workers until `deadline`.
    bool StopAll(std::chrono::steady_clock::time_point deadline);

    PadTest& Tests() { return tests_; }
    PadValidator& Validator() { return validator_; }
    // From PAD of the product dialogs: downloads as Validate PADs does (proxy setting included).
    PadFetch& FromPad() { return fromPad_; }
    // The PAD editor's downloads, apart from From PAD's so that neither breaks the other off.
    PadFetch& PadFile() { return padFile_; }

private:
    void ValidationEnded();
    void TestsStarted(const std::vector<int>& rows);
    void TestEnded(std::uint64_t productId, const WorkResult& result);

    SubmitCommands& submission_;
    const SubmitCommands::Wiring& w_;
    PadTest tests_;
    PadValidator validator_;
    PadFetch fromPad_;
    PadFetch padFile_;
    std::string lastValidationReport_;
    std::map<std::uint64_t, std::string> testReasons_; // by product Id: why its PAD test failed
    // The PAD tests under way and where they are recorded.
    struct TestRun {
        std::unique_ptr<RunRecorder> Recorder;
        std::map<std::uint64_t, std::pair<std::string, std::string>> Products; // Id -> title, link
    };
    TestRun testRun_;
};
