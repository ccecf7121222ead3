#pragma once

#include <QString>

class QWidget;

// Message boxes. Handlers ask through this interface so that tests can
// answer the questions from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A question with the question icon and the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    // A notice with an OK button only, no icon, titled with the program's name.
    virtual void inform(QWidget* parent, const QString& text) = 0;
};

class QtDialogs final : public Dialogs {
public:
    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override;
    void inform(QWidget* parent, const QString& text) override;
};
