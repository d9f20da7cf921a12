#include "common/TextTemplates.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Phrase T(const char* text)
{
    return Phrase::Text(text);
}

} // namespace

// Each case: a phrase, its English bytes (the command line's and the reports'), and what the
// window shows.
TEST(TextTemplates, TranslatesTemplatesByTheirKeyAndPutsTheDataInAsItIs)
{
    TextTemplates t;
    t.Add("Saved %1", "Сохранено: %1");
    t.Add("Report: %1", "Отчёт: %1");
    t.Add("Test PAD: %1", "Проверка PAD: %1");
    t.Add("no answer in %1 s", "нет ответа за %1 с");
    t.Add("Uncheck %1 sites with no \"Ok\" in their last %2 attempts?", "Попыток %2, сайтов %1?"); // reordered
    t.Add("Sending %1 pairs again.", "Повтор.");        // drops its placeholder: English stays
    t.Add("No run to retry yet.", "Повторять нечего."); // no placeholder at all
    const struct {
        Phrase Message;
        std::string English, Shown;
    } cases[] = {
        // Data that reads like a template of ours is never taken for one.
        {Phrase("Saved %1", {T("Report: Saved Games Backup")}), "Saved Report: Saved Games Backup",
         "Сохранено: Report: Saved Games Backup"},
        {T("Saved Games Backup - http://127.0.0.1/p.xml"), "Saved Games Backup - http://127.0.0.1/p.xml",
         "Saved Games Backup - http://127.0.0.1/p.xml"},
        {T("No run to retry yet."), "No run to retry yet.", "No run to retry yet."},
        // A placeholder in the data is not filled again.
        {Phrase("Report: %1", {T("%1 %2")}), "Report: %1 %2", "Отчёт: %1 %2"},
        // Nested: a phrase of ours inside one, translated in turn.
        {Phrase("Test PAD: %1", {Phrase("no answer in %1 s", {T("10")})}), "Test PAD: no answer in 10 s",
         "Проверка PAD: нет ответа за 10 с"},
        {Phrase("Uncheck %1 sites with no \"Ok\" in their last %2 attempts?", {T("4"), T("10")}),
         "Uncheck 4 sites with no \"Ok\" in their last 10 attempts?", "Попыток 10, сайтов 4?"},
        {Phrase("Sending %1 pairs again.", {T("7")}), "Sending 7 pairs again.", "Sending 7 pairs again."},
        {Phrase("No run to retry yet."), "No run to retry yet.", "Повторять нечего."},
        // A template unknown to the language, and one short of its parts: English, the rest kept.
        {Phrase("Cancelled %1 of %2", {T("3")}), "Cancelled 3 of %2", "Cancelled 3 of %2"},
        // Joins: the separator is ours and fixed, empty pieces are left out.
        {Phrase::Lines({T("http://a/p.xml"), Phrase(), Phrase("Report: %1", {T("r.txt")})}),
         "http://a/p.xml\nReport: r.txt", "http://a/p.xml\nОтчёт: r.txt"},
        {Phrase::Join({Phrase("No run to retry yet."), T("Saved %1")}, ". "), "No run to retry yet.. Saved %1",
         "Повторять нечего.. Saved %1"},
        {Phrase(), "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Message.English(), c.English);
        EXPECT_EQ(t.Shown(c.Message), c.Shown) << c.English;
    }

    t.AddCaption("Attempts of %1 at %2:", "Попытки %2, %1:");
    t.AddCaption("Grid", "Таблица");
    t.AddCaption("Runs", "%1 отправок"); // invents a placeholder: English stays
    EXPECT_EQ(t.Caption("Attempts of %1 at %2:"), "Попытки %2, %1:");
    EXPECT_EQ(t.Caption("Grid"), "Таблица");
    EXPECT_EQ(t.Caption("Runs"), "Runs");
    EXPECT_EQ(t.Caption("Charts"), "Charts");
    EXPECT_EQ(t.Shown(Phrase("Grid")), "Grid"); // captions are never messages
}
