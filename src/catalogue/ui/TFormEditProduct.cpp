#include "catalogue/ui/TFormEditProduct.h"

#include "catalogue/ItemCheck.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"

TFormEditProduct::TFormEditProduct(QWidget* parent)
    : TItemDialog({"FormEditProduct", "Edit Product", "GroupBoxEdit", " Edit Product ", "LabelText", "PAD Link:", "",
                   true, 370, 171, ItemCheck::LinkLine},
                  parent)
{}

void TFormEditProduct::WriteRow()
{
    ListRows& list = *List();
    const int row = list.FirstSelected();
    if (row < 0) return; // the selection cannot change while the dialog is up
    ListCommands::EditProduct(list, row, TitleText(), LinkText(), CategoryText());
}
