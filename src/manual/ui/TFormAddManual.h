#pragma once

#include "catalogue/ui/TItemDialog.h"

// The "Add Site" dialog (window FormAddManual).
class TFormAddManual : public TItemDialog {
    Q_OBJECT
public:
    explicit TFormAddManual(QWidget* parent = nullptr);

protected:
    void WriteRow() override;
};
