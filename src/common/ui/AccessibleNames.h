#pragma once

class QWidget;

// Gives every control of a window an accessible name, so that a screen reader can say what
// each one is: its own caption (a button's text, a group's title), else the label that
// stands for it (the label whose buddy it is, or its label in a form layout), else a short
// description for the controls that have no caption (the lists, the address box, the speed
// box, the page view, the bars). A name that a window set itself is left alone; the names
// given here follow the captions, so Apply runs again after every change of language.
// Controls made later under the same root (a page view made on first use, a dialog's new
// fields) are named when they are first shown.
class AccessibleNames {
public:
    static void Apply(QWidget* root);
};
