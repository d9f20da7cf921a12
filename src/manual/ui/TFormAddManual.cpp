#include "manual/ui/TFormAddManual.h"

#include "catalogue/ItemCheck.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"

TFormAddManual::TFormAddManual(QWidget* parent)
    : TItemDialog({"FormAddManual", "Add Site", "GroupBoxAdd", " Add Site", "LabelUrl", "Submit Script:", "http://",
                   false, 368, 136, ItemCheck::LinkLine},
                  parent)
{}

void TFormAddManual::WriteRow()
{
    ListCommands::AddSite(*List(), TitleText(), LinkText());
}
