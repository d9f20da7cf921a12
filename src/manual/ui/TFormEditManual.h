#pragma once

#include "catalogue/ui/TItemDialog.h"

// The "Edit Site" dialog (window FormEditManual).
class TFormEditManual : public TItemDialog {
    Q_OBJECT
public:
    explicit TFormEditManual(QWidget* parent = nullptr);

protected:
    void WriteRow() override;
};
