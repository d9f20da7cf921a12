#pragma once

#include "catalogue/ui/TItemDialog.h"

// The "Add Product" dialog (window FormAddProduct). A PAD link the list has already is
// added only when the user says so.
class TFormAddProduct : public TItemDialog {
    Q_OBJECT
public:
    explicit TFormAddProduct(QWidget* parent = nullptr);

protected:
    bool ConfirmWrite() override;
    void WriteRow() override;
};
