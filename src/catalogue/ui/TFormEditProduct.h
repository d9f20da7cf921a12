#pragma once

#include "catalogue/ui/TItemDialog.h"

// The "Edit Product" dialog (window FormEditProduct).
class TFormEditProduct : public TItemDialog {
    Q_OBJECT
public:
    explicit TFormEditProduct(QWidget* parent = nullptr);

protected:
    void WriteRow() override;
};
