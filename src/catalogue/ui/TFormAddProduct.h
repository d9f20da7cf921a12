#pragma once

#include "catalogue/ui/TItemDialog.h"

// The "Add Product" dialog (window FormAddProduct).
class TFormAddProduct : public TItemDialog {
    Q_OBJECT
public:
    explicit TFormAddProduct(QWidget* parent = nullptr);

protected:
    void WriteRow() override;
};
