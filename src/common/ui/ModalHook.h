#pragma once

#include <QDialog>

#include <functional>

// The test hook of one dialog kind (none set: the real modal loop).
template <class Dialog>
std::function<void(Dialog&)>& ExecHookOf()
{
    static std::function<void(Dialog&)> hook;
    return hook;
}

// Shows a dialog modally, or, when a test has set `hook`, shows it without a modal loop and
// lets the hook drive it; a hook that leaves the dialog open cancels it. True when the
// dialog was accepted.
template <class Dialog>
bool ExecOrHook(Dialog& dialog, const std::function<void(Dialog&)>& hook)
{
    if (!hook) return dialog.exec() == QDialog::Accepted;
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    hook(dialog);
    if (dialog.isVisible()) dialog.reject();
    return dialog.result() == QDialog::Accepted;
}
