#include "manual/ui/TFormEditManual.h"

#include "catalogue/ItemCheck.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"

TFormEditManual::TFormEditManual(QWidget* parent)
    : TItemDialog({"FormEditManual", "Edit Site", "GroupBoxEdit", " Edit Site ", "LabelText", "Link:", "", false, 371,
                   139, ItemCheck::LinkLine},
                  parent)
{}

void TFormEditManual::WriteRow()
{
    ListRows& list = *List();
    const int row = list.FirstSelected();
    if (row < 0) return; // the selection cannot change while the dialog is up
    ListCommands::EditSite(list, row, TitleText(), LinkText());
}
