#include "catalogue/ui/TFormAddProduct.h"

#include "catalogue/ItemCheck.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"

TFormAddProduct::TFormAddProduct(QWidget* parent)
    : TItemDialog({"FormAddProduct", "Add Product", "GroupBoxAdd", " Add Product", "LabelUrl", "PAD Link:", "http://",
                   true, 369, 170, ItemCheck::PadLinkLine},
                  parent)
{}

bool TFormAddProduct::ConfirmWrite()
{
    const int row = ListCommands::ProductWithLink(*List(), LinkText());
    if (row < 0) return true;
    const Phrase question(ListCommands::DuplicateLinkQuestion, {Phrase::Text(List()->Caption(row))});
    return MessageBoxes::Ask(question, MessageBoxes::Title()) == MessageBoxes::Answer::Ok;
}

void TFormAddProduct::WriteRow()
{
    ListCommands::AddProduct(*List(), TitleText(), LinkText(), CategoryText());
}
