#include "common/TextTemplates.h"

#include <gtest/gtest.h>

#include <string>

// Each case: what the program composed in English, and what the window shows.
TEST(TextTemplates, FillsTheLanguagesTemplateWithThePartsTakenFromTheEnglishText)
{
    TextTemplates t;
    t.Add("Cannot write file \"%1\": %2", "Не удалось записать «%1»: %2");
    t.Add("Finished. Success: %1 Failed: %2", "Готово. Успешно: %1 Неудачно: %2");
    t.Add("Finished. Success: %1 Failed: %2 Skipped: %3", "Готово. Успешно: %1 Неудачно: %2 Пропущено: %3");
    t.Add("Uncheck %1 sites with no \"Ok\" in their last %2 attempts?", "Попыток %2, сайтов %1?"); // reordered
    t.Add("Sending %1 pairs again.", "Повтор."); // drops its placeholder: English stays
    t.Add("Test PAD: %1", "Проверка PAD: %1", "1");
    t.Add("Report: %1", "Отчёт: %1");
    t.Add("no answer in %1 s", "нет ответа за %1 с");
    t.Add("%1 had %2", "%2 у %1", "2");
    t.Add("should be %1", "должно быть %1", "1");
    t.Add("%1 to %2 characters", "от %1 до %2 символов");
    t.Add("%1", "anything"); // placeholders alone would match any text: not taken
    const struct {
        std::string English, Shown;
    } cases[] = {
        {"Cannot write file \"/tmp/a: b\": Permission denied", "Не удалось записать «/tmp/a: b»: Permission denied"},
        // The template with the most fixed text wins over one that also matches.
        {"Finished. Success: 3 Failed: 1 Skipped: 2", "Готово. Успешно: 3 Неудачно: 1 Пропущено: 2"},
        {"Finished. Success: 3 Failed: 1", "Готово. Успешно: 3 Неудачно: 1"},
        {"Uncheck 4 sites with no \"Ok\" in their last 10 attempts?", "Попыток 10, сайтов 4?"},
        {"Sending 7 pairs again.", "Sending 7 pairs again."},
        // Lines one at a time, line ends kept; a line of no template stays.
        {"Finished.\rSuccess: 1\nFailed: 0\r\nTest PAD: no answer in 10 s",
         "Finished.\rSuccess: 1\nFailed: 0\r\nПроверка PAD: нет ответа за 10 с"},
        // Sentences joined on one line, when the line as a whole matches nothing.
        {"Finished. Success: 1 Failed: 0. Report: /r/x. y.txt", "Готово. Успешно: 1 Неудачно: 0. Отчёт: /r/x. y.txt"},
        // Only a nested placeholder's part is looked up: a title that is a text of ours stays.
        {"Report: no answer in 5 s", "Отчёт: no answer in 5 s"},
        {"Editor had no answer in 5 s", "нет ответа за 5 с у Editor"},
        // A template with its nested part explains more than one with more fixed text alone.
        {"should be 1 to 45 characters", "должно быть от 1 до 45 символов"},
        {"Something else entirely", "Something else entirely"},
        {"anything", "anything"},
        {"", ""},
        {"Test PAD: ", "Test PAD: "}, // a placeholder takes at least one character
    };
    for (const auto& c : cases) EXPECT_EQ(t.Translate(c.English), c.Shown) << c.English;

    t.AddCaption("Attempts of %1 at %2:", "Попытки %2, %1:");
    t.AddCaption("Grid", "Таблица");
    t.AddCaption("Runs", "%1 отправок"); // invents a placeholder: English stays
    EXPECT_EQ(t.Caption("Attempts of %1 at %2:"), "Попытки %2, %1:");
    EXPECT_EQ(t.Caption("Grid"), "Таблица");
    EXPECT_EQ(t.Caption("Runs"), "Runs");
    EXPECT_EQ(t.Caption("Charts"), "Charts");
    EXPECT_EQ(t.Translate("Grid"), "Grid"); // captions are never matched as messages
}

TEST(TextTemplates, LeavesAHugeOrHostileLineAsItIs)
{
    TextTemplates t;
    t.Add("%1: %2: %3: %4 end", "x%1y%2z%3w%4");
    const std::string colons(3000, ':');
    EXPECT_EQ(t.Translate(colons), colons); // many candidate splits, none ends in " end"
    const std::string huge = std::string(TextTemplates::MaxLine, 'a') + ": b: c: d end";
    EXPECT_EQ(t.Translate(huge), huge);
    EXPECT_EQ(t.Translate("a: b: c: d end"), "xaybzcwd");
}
