#pragma once

#include "controls/form.h"

class QLineEdit;
class QPushButton;

namespace solvane {

class Program;

// The name dialog "Введите название": a small tool window, shown without
// blocking the calculator, that saves the working composition as a new
// saved solution or renames the current one, as the program's NameMode says.
// Closing it only hides it; the text box keeps its text between uses.
class TForm5 : public Form {
    Q_OBJECT
public:
    explicit TForm5(Program& program);
    ~TForm5() override;

    QLineEdit* Edit1 = nullptr;     // the name
    QPushButton* Button1 = nullptr; // "Сохранить"
    QPushButton* Button2 = nullptr; // "Отмена"

    // Saves or renames by NameMode, then closes. An error stops it with the
    // dialog still open; what was posted until then stays stored.
    void Button1Click();
    void Button2Click();
    // Enter acts as "Сохранить", Escape as "Отмена"; returns whether the key was one of them.
    bool Edit1KeyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void saveNew(const QString& name);
    void rename(const QString& name);

    Program& program_;
};

} // namespace solvane
