#include "catalogue/ui/TFormAddProduct.h"

#include "catalogue/ItemCheck.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"

TFormAddProduct::TFormAddProduct(QWidget* parent)
    : TItemDialog({"FormAddProduct", "Add Product", "GroupBoxAdd", " Add Product", "LabelUrl", "PAD Link:", "http://",
                   true, 369, 170, ItemCheck::PadLinkLine},
                  parent)
{}

void TFormAddProduct::WriteRow()
{
    ListCommands::AddProduct(*List(), TitleText(), LinkText(), CategoryText());
}
