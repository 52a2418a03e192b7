// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one headless program the window tests run: its own working directory
// with a fresh base.mdb (the starter base, or the bare schema filled by the
// test's SQL), the program answering its boxes silently, the launcher shown
// (which opens every data set), and the file read back through SqlFile.

#include "app/launcher_window.h"
#include "app/program.h"
#include "controls/message_service.h"
#include "store/database.h"
#include "support/test_base.h"
#include "support/test_dir.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace solvane::test {

// A window's widget (or other child object) by its object name; nullptr
// when there is none.
template <typename T> T* Child(const QObject& parent, const QString& objectName) {
    return parent.findChild<T*>(objectName);
}

class ProgramFixture {
public:
    enum class Base { Starter, Empty };

    // sql runs on the new base before the program starts.
    explicit ProgramFixture(Base base = Base::Starter, const QString& sql = QString());
    ~ProgramFixture();
    ProgramFixture(const ProgramFixture&) = delete;
    ProgramFixture& operator=(const ProgramFixture&) = delete;

    // Makes the program; with showLauncher, shows the launcher, which opens
    // every data set and applies the options.
    void start(bool showLauncher = true);
    bool started() const { return program_ != nullptr; }
    // The program ends: every window and the base go.
    void stop();

    Program& program() { return *program_; }
    Database& data() { return program_->data(); }
    MessageService& messages() { return program_->messages(); }
    // The base read back (and written) as another program would.
    SqlFile& sql();
    const QString& file() const { return file_; }
    const WorkingDirectory& directory() const { return dir_; }

    // The texts of the boxes shown so far (of one kind, or every box).
    QStringList errors() const;
    QStringList messageTexts() const;

private:
    WorkingDirectory dir_;
    QString file_;
    std::unique_ptr<SqlFile> sql_;
    std::unique_ptr<Program> program_;
};

} // namespace solvane::test
