// The Products page's commands driven through the real main window and its dialogs.
#include "app/ui/TestProgram.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ui/ListRowsModel.h"
#include "catalogue/ui/TFormAddProduct.h"
#include "catalogue/ui/TFormEditProduct.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const std::string SelectFirst = "Select Item First ! ";

// What the item dialog showed when it opened, and whether OK left it open.
struct Seen {
    std::string title, link, category;
    QSize size;
    bool stayedOpen = false;
} seen;

// Fills the dialog's boxes (the category box only when a category is given) and presses OK.
void Drive(const std::string& title, const std::string& link, const char* category = nullptr)
{
    seen = Seen();
    TItemDialog::setExecHook([=](TItemDialog& d) {
        seen = {d.TitleText(), d.LinkText(), d.CategoryText(), d.size(), false};
        d.EditTitle()->setText(QString::fromStdString(title));
        d.EditLink()->setText(QString::fromStdString(link));
        if (category && d.ComboBoxCat()) d.ComboBoxCat()->setEditText(QString::fromUtf8(category));
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
        seen.stayedOpen = d.isVisible();
    });
}

// The dialogs keep their width, whatever the length of the 155 category names.
void ExpectClassicWidth(const QSize& size)
{
    EXPECT_GE(size.width(), 369);
    EXPECT_LE(size.width(), 420);
}

} // namespace

TEST(ProductCommands, AddValidatesThenWritesASortedRowWithStatusQuestionMark)
{
    TestProgram p;
    auto form = p.Start();

    Drive("", "", "");
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(seen.title, "");
    EXPECT_EQ(seen.link, "http://"); // first use
    EXPECT_EQ(seen.category, form->Categories().front());
    ExpectClassicWidth(seen.size);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter title\rPlease, enter PAD link\r"});
    EXPECT_EQ(form->ProductsList().Count(), 3);

    Drive("Clip Saver", "http://", "Typed Category");
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_FALSE(seen.stayedOpen);
    EXPECT_TRUE(p.Messages().empty());
    ListRows& list = form->ProductsList();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Backup Buddy", "Clip Saver", "Pixel Sorter", "Tidy Notes"}));
    EXPECT_EQ(list.Text(1, 1), "http://");
    EXPECT_EQ(list.Text(1, 2), "Typed Category");
    EXPECT_EQ(list.Text(1, 3), "?");
    EXPECT_FALSE(list.Row(1).Checked);
    EXPECT_EQ(form->ListViewProducts()->model()->index(1, 0).data().toString(), QStringLiteral("Clip Saver"));

    // The boxes keep their text for the next use.
    Drive("", "x");
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_EQ(seen.title, "Clip Saver");
    EXPECT_EQ(seen.link, "http://");
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter title\r"});

    // A PAD link the list has already: the user is asked; Cancel leaves the dialog open.
    const std::string taken(list.Text(0, 1));
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Cancel);
    Drive("Backup Buddy Pro", taken);
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(p.Messages(),
              std::vector<std::string>{
                  "The list has this PAD link already, for \"Backup Buddy\". Add the product all the same?"});
    EXPECT_EQ(list.Count(), 4);
    Drive("Backup Buddy Pro", taken);
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_EQ(list.Count(), 5);
}

TEST(ProductCommands, EditTakesTheTopSelectedRowAndKeepsStatusAndCheck)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();

    Drive("never", "used");
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{SelectFirst});

    list.SetText(2, 3, "Ok");
    list.SetChecked(2, true);
    ClickRow(form->ListViewProducts(), 2);
    ClickRow(form->ListViewProducts(), 1, Qt::ControlModifier);
    EXPECT_EQ(list.SelectedCount(), 2);

    // An empty link names "link", not "PAD link"; the category box shows the row's.
    Drive("Pixel Sorter", "", "Graphic Apps::Viewers");
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(seen.title, "Pixel Sorter");
    EXPECT_EQ(seen.category, "Graphic Apps::Viewers");
    ExpectClassicWidth(seen.size);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter link\r"});

    list.SetSelected(1, false);
    form->ListViewProducts()->SelectRows({2});
    Drive("Alpha Notes", "http://a.example/pad.xml", "Business::Office Suites & Tools");
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Alpha Notes", "Backup Buddy", "Pixel Sorter"}));
    EXPECT_EQ(list.Text(0, 1), "http://a.example/pad.xml");
    EXPECT_EQ(list.Text(0, 3), "Ok");
    EXPECT_TRUE(list.Row(0).Checked);
    // The edited row stays selected in the view after the re-sort.
    EXPECT_TRUE(form->ListViewProducts()->selectionModel()->isRowSelected(0, QModelIndex()));
}

TEST(ProductCommands, EditOfAnUnknownCategoryOpensEmptyAndCancelLeavesSortingOff)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    list.SetText(0, 2, "Not A Category");
    form->ListViewProducts()->SelectRows({0});

    std::string category = "unset";
    int entries = 0;
    bool openAfterKeys = false;
    TItemDialog::setExecHook([&](TItemDialog& d) {
        category = d.CategoryText();
        entries = d.ComboBoxCat()->count();
        // No button is the default or the cancel button: Enter and Escape do nothing.
        QTest::keyClick(&d, Qt::Key_Return);
        QTest::keyClick(&d, Qt::Key_Escape);
        openAfterKeys = d.isVisible();
        QTest::mouseClick(d.ButtonCancel(), Qt::LeftButton);
    });
    FindAction(form.get(), "AEditProduct")->trigger();
    FindAction(form.get(), "AEditProduct")->trigger(); // each category once, however often
    EXPECT_EQ(category, "");
    EXPECT_EQ(entries, 155);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_EQ(list.Text(0, 2), "Not A Category");

    // Sorting stays off after Cancel: a load keeps file order until the next accepted Add.
    p.dir.Write("data/unsorted.dat", "Zeta|z|\r\nAlpha|a|\r\n");
    FileDialogs::setNextFileName(QString::fromStdString(p.Data("unsorted.dat")));
    FindAction(form.get(), "ALoadProducts")->trigger();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Zeta", "Alpha"}));
    Drive("Mid", "m");
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Alpha", "Mid", "Zeta"}));
}

TEST(ProductCommands, DeleteAsksAndRemovesExactlyTheSelectedRows)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();

    FindAction(form.get(), "ADeleteProduct")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{SelectFirst});

    ClickRow(form->ListViewProducts(), 0);
    ClickRow(form->ListViewProducts(), 2, Qt::ControlModifier);
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Cancel);
    FindAction(form.get(), "ADeleteSelectedProduct")->trigger();
    ASSERT_EQ(MessageBoxes::shown().size(), 1u);
    EXPECT_EQ(MessageBoxes::shown()[0].Text, QStringLiteral("Are you sure ?"));
    EXPECT_EQ(MessageBoxes::shown()[0].Caption, QStringLiteral("Delete Confirmation"));
    EXPECT_EQ(MessageBoxes::shown()[0].Kind, MessageBoxes::Buttons::OkCancel);
    EXPECT_EQ(list.Count(), 3);

    p.Messages();
    QTest::keyClick(form->ListViewProducts(), Qt::Key_Delete); // answered OK
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Are you sure ?"});
    EXPECT_EQ(Captions(list), std::vector<std::string>{"Pixel Sorter"});
}

TEST(ProductCommands, CheckedAllAndClearNeedNoQuestion)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    FindAction(form.get(), "ADeleteCheckedProduct")->trigger();
    EXPECT_EQ(list.Count(), 3);
    FindAction(form.get(), "ACheckProducts")->trigger();
    EXPECT_EQ(list.CheckedCount(), 3);
    FindAction(form.get(), "AUnCheckProducts")->trigger();
    EXPECT_EQ(list.CheckedCount(), 0);

    // A check box clicked in the view is the row's check flag.
    const QModelIndex second = form->ListViewProducts()->model()->index(1, 0);
    ASSERT_TRUE(form->ListViewProducts()->model()->setData(second, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(list.Row(1).Checked);
    FindAction(form.get(), "ADeleteCheckedProduct")->trigger();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Backup Buddy", "Tidy Notes"}));
    FindAction(form.get(), "ADeleteAllProduct")->trigger();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(p.Messages().empty());
}

TEST(ProductCommands, LoadAndSaveGoThroughTheFileDialogs)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();

    FindAction(form.get(), "ALoadProducts")->trigger(); // cancelled
    EXPECT_EQ(list.Count(), 3);
    ASSERT_EQ(FileDialogs::shown().size(), 1u);
    EXPECT_EQ(FileDialogs::shown()[0].ObjectName, QStringLiteral("OpenDialog1"));
    EXPECT_EQ(FileDialogs::shown()[0].Filter, QStringLiteral("DAT File (*.dat)"));

    // A name typed without an extension gets ".dat".
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("mine")));
    FindAction(form.get(), "ASaveProducts")->trigger();
    EXPECT_EQ(FileDialogs::shown().back().Preset, QStringLiteral("products.dat"));
    EXPECT_EQ(p.dir.Read("mine.dat"), p.dir.Read("data/products.dat"));

    p.dir.Write("other.dat", "B|b|cat|Yes|\nA|a|\n");
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("other.dat")));
    FindAction(form.get(), "ALoadProducts")->trigger();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(list.Text(1, 3), "Yes");
    const QModelIndex status = form->ListViewProducts()->model()->index(1, 3);
    EXPECT_EQ(status.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));

    // A file that cannot be read: the message, and the list keeps its rows.
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("missing.dat")));
    FindAction(form.get(), "ALoadProducts")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Exception - Error in program !"});
    EXPECT_EQ(list.Count(), 2);
}

TEST(ProductCommands, SavingOverTheUnreadableCatalogueLetsTheCloseSaveItAgain)
{
    TestProgram p;
    p.dir.Write("data/products.dat", "Old|o|\r\n");
    auto form = p.Start();
    // Make the start-up file unreadable after the fact by loading a directory in its place.
    std::filesystem::create_directory(p.dir.File("broken.dat"));
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("broken.dat")));
    FindAction(form.get(), "ALoadProducts")->trigger();
    ASSERT_TRUE(form->ProductsList().LoadFailed());
    std::filesystem::remove(p.dir.File("broken.dat"));
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("broken.dat")));
    FindAction(form.get(), "ASaveProducts")->trigger();
    EXPECT_FALSE(form->ProductsList().LoadFailed());
    EXPECT_EQ(p.dir.Read("broken.dat"), "Old|o||\r\n");
}

TEST(ProductCommands, SelectionToolTipsColoursAndInPlaceRename)
{
    TestProgram p;
    auto form = p.Start();
    TListView* view = form->ListViewProducts();
    ListRows& list = form->ProductsList();

    ClickRow(view, 1);
    EXPECT_EQ(form->StatusPanelText(1),
              QStringLiteral("Pixel Sorter - http://pad.pixelsorter.example/pixelsorter.xml"));
    ClickRow(view, 2);
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Tidy Notes - http://www.tidynotes.example/pad/tidynotes.xml"));
    EXPECT_FALSE(list.Row(1).Selected);
    EXPECT_TRUE(list.Row(2).Selected);

    QAbstractItemModel* m = view->model();
    EXPECT_EQ(m->index(0, 2).data(Qt::ToolTipRole).toString(),
              QStringLiteral("http://www.backupbuddy.example/files/backupbuddy_pad.xml"));
    // A link that looks like markup is shown as it stands, not drawn as markup.
    list.SetText(1, 1, "http://x.example/<b>pad</b>.xml");
    EXPECT_TRUE(m->index(1, 0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("&lt;b&gt;pad&lt;/b&gt;")));
    EXPECT_EQ(m->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), ListRowsModel::DesktopColour());
    EXPECT_EQ(m->index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
    EXPECT_EQ(m->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    // Renaming the selected row in place moves it to its sorted place, still selected.
    view->edit(m->index(2, 0));
    auto* editor = view->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Aardvark"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits, then the list sorts once the editor has closed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.Caption(0) == "Aardvark"; }, 2000));
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Aardvark", "Backup Buddy", "Pixel Sorter"}));
    EXPECT_TRUE(list.Row(0).Selected);
    EXPECT_TRUE(view->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_EQ(list.Text(0, 1), "http://www.tidynotes.example/pad/tidynotes.xml");
}

TEST(ProductCommands, TextsTheUserLeavesAloneKeepTheirBytes)
{
    // A catalogue written in another 8-bit code page: these bytes are no valid UTF-8.
    TestProgram p;
    p.dir.Write("data/categories.dat", "Utilities\r\nCaf\xE9 Tools\r\n");
    p.dir.Write("data/products.dat", "R\xE9sum\xE9 Maker|http://r.example/pad.xml|Caf\xE9 Tools|\r\n");
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    form->ListViewProducts()->SelectRows({0});

    TItemDialog::setExecHook([](TItemDialog& d) {
        d.EditLink()->setText(QStringLiteral("http://r.example/new.xml"));
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_EQ(list.Caption(0), "R\xE9sum\xE9 Maker");
    EXPECT_EQ(list.Text(0, 1), "http://r.example/new.xml");
    EXPECT_EQ(list.Text(0, 2), "Caf\xE9 Tools");

    // An in-place edit committed unchanged keeps them too.
    TListView* view = form->ListViewProducts();
    view->edit(view->model()->index(0, 0));
    auto* editor = view->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(list.Caption(0), "R\xE9sum\xE9 Maker");
}

TEST(ProductCommands, FieldsLongerThanATextBoxTakesByDefaultSurviveUntouched)
{
    // A text box takes 32,767 characters unless told otherwise.
    const std::string title(40000, 't'), link = "http://x.example/" + std::string(40000, 'l'), category(33000, 'c');
    TestProgram p;
    p.dir.Write("data/categories.dat", "Utilities\r\n" + category + "\r\n");
    p.dir.Write("data/products.dat", title + "|" + link + "|" + category + "|\r\n");
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    form->ListViewProducts()->SelectRows({0});

    TItemDialog::setExecHook([](TItemDialog& d) { QTest::mouseClick(d.ButtonOk(), Qt::LeftButton); });
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_TRUE(list.Caption(0) == title) << list.Caption(0).size();
    EXPECT_TRUE(list.Text(0, 1) == link) << list.Text(0, 1).size();
    EXPECT_TRUE(list.Text(0, 2) == category) << list.Text(0, 2).size();

    // So does a title committed unchanged in place.
    TListView* view = form->ListViewProducts();
    view->edit(view->model()->index(0, 0));
    auto* editor = view->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(list.Caption(0) == title) << list.Caption(0).size();

    // A long text pasted into Add Product is taken whole.
    Drive(std::string(35000, 'a'), link, "Utilities");
    FindAction(form.get(), "AAddProduct")->trigger();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Caption(0).size(), 35000u);
}

TEST(ProductCommands, ABarTypedIntoAFieldIsRefusedInTheDialogsAndInPlace)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    const std::vector<std::string> before = Captions(list);
    const std::string bar = "Please, remove \"|\" from the ";

    Drive("Split|Title", "http://x.example/pad.xml", "Utilities");
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{bar + "title\r"});
    EXPECT_EQ(Captions(list), before);

    form->ListViewProducts()->SelectRows({1});
    Drive("Pixel Sorter", "http://x.example/a|b", "Graphic|Apps");
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{bar + "link\r" + bar + "category\r"});
    EXPECT_EQ(list.Text(1, 1), "http://pad.pixelsorter.example/pixelsorter.xml");

    // Renaming in place: the message, and the title stays as it was.
    TListView* view = form->ListViewProducts();
    view->edit(view->model()->index(2, 0));
    auto* editor = view->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Tidy|Notes"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !MessageBoxes::shown().empty(); }, 2000));
    EXPECT_EQ(p.Messages(), std::vector<std::string>{bar + "title\r"});
    EXPECT_EQ(Captions(list), before);
}

// Load takes every text file and says in the status bar how many rows came in.
TEST(ProductCommands, ALoadTakesAnyTextFileTellsTheRowsAndRefusesOnlyBinaryData)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    const std::vector<std::string> shipped = Captions(list);
    auto load = [&](const std::string& name, const std::string& bytes) {
        FileDialogs::setNextFileName(QString::fromStdString(p.dir.Write(name, bytes)));
        FindAction(form.get(), "ALoadProducts")->trigger();
    };
    load("cut.dat", std::string("C|c|\r\n\0D|d|\r\n", 13));
    EXPECT_EQ(p.Messages().size(), 1u); // refused: no text
    EXPECT_EQ(Captions(list), shipped);
    load("links.dat", "Zip|http://zip.example/pad.xml\r\nTool|http://tool.example/pad.xml\r\n");
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Tool", "Zip"}));
    EXPECT_EQ(list.Text(0, ProductColumn::PadLink), "http://tool.example/pad.xml");
    EXPECT_EQ(form->StatusPanelText(1),
              QStringLiteral("Rows loaded from links.dat: 2. Undo brings the previous list back."));
}
