#pragma once

#include "catalogue/ListDocument.h"
#include "catalogue/ui/TItemDialog.h"
#include "pad/ui/TFormPadEditor.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class ActionList;
class ListRows;
class ListRowsModel;
class TFormAddProduct;
class TFormEditProduct;
class TListView;

// The Products page (TabSheetProducts): the tool bar ToolBarProducts in two rows, the list
// ListViewProducts with its pop-up PopupMenuProducts, Delete's drop-down
// PopupMenuDeleteProduct, the Add Product and Edit Product dialogs, the category list, and
// the Product actions with their handlers. The PAD tests and validations are the
// submission's: the window passes them in as calls. Edit PAD File opens the PAD editor,
// at the selected product's PAD link.
//
// Lives on the GUI thread; the list, the action list and the window outlive it.
class ProductsPage : public QWidget {
    Q_OBJECT
public:
    // What the page's PAD commands run, and the validation tip of a row.
    struct PadCalls {
        std::function<void()> TestPads, TestPad, ValidatePads, ValidatePad;
        std::function<Phrase(int row)> ValidationTip;
        TItemDialog::PadFetchCalls FromPad;
        // The PAD editor's rules and downloads (its selected link is the page's).
        PadEditorCalls Editor;
    };

    // `products` is kept in `productsPath`, which is watched for changes by other programs.
    // `refreshCaptions` sets the captions anew from the language file before a dialog opens;
    // `tell` puts a text into the status bar.
    ProductsPage(ListRows& products, const std::string& productsPath, ActionList& actions, PadCalls pad,
                 std::function<void()> refreshCaptions, std::function<void(const Phrase&)> tell,
                 QWidget* parent = nullptr);
    ~ProductsPage() override;

    ListDocument& Document() { return document_; }
    ListRowsModel* Model() const { return model_; }
    TListView* ListViewProducts() const { return listView_; }
    TFormAddProduct* FormAddProduct() const { return formAddProduct_; }
    TFormEditProduct* FormEditProduct() const { return formEditProduct_; }
    TFormPadEditor* FormPadEditor() const { return formPadEditor_; }
    const std::vector<std::string>& Categories() const { return categories_; }
    // Reads the category list. Throws FileError.
    void ReadCategories(const std::string& path);

    void AAddProductExecute();
    void AEditProductExecute();
    void ADeleteProductExecute();
    void ADeleteSelectedProductExecute();
    void ADeleteCheckedProductExecute();
    void ADeleteAllProductExecute();
    void AClearProductsExecute();
    void ALoadProductsExecute();
    void ASaveProductsExecute();
    void ACheckProductsExecute();
    void AUnCheckProductsExecute();
    void AEditPadFileExecute();

private:
    void BuildActions();
    void BuildWidgets();

    ListRows& products_;
    ListDocument document_;
    ActionList& actions_;
    PadCalls pad_;
    std::function<void()> refreshCaptions_;
    std::function<void(const Phrase&)> tell_;
    std::vector<std::string> categories_;
    ListRowsModel* model_ = nullptr;
    TListView* listView_ = nullptr;
    TFormAddProduct* formAddProduct_ = nullptr;
    TFormEditProduct* formEditProduct_ = nullptr;
    TFormPadEditor* formPadEditor_ = nullptr;
};
