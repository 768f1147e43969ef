// Shows modal forms. The program runs them with exec(); tests replace the runner to fill a
// form's fields and confirm or cancel it without a display.
#pragma once

#include <QDialog>

class IFormRunner {
public:
    virtual ~IFormRunner() = default;
    // Shows form modally; returns its result code.
    virtual int Run(QDialog& form) = 0;
};

class QtFormRunner : public IFormRunner {
public:
    int Run(QDialog& form) override { return form.exec(); }
};
