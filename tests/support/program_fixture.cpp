// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/program_fixture.h"

#include "store/starter_database.h"

namespace solvane::test {

ProgramFixture::ProgramFixture(Base base, const QString& sql) : file_(dir_.file(QStringLiteral("base.mdb"))) {
    if (base == Base::Starter)
        CreateStarterDatabase(file_);
    else
        CreateEmptyDatabase(file_);
    if (!sql.isEmpty())
        this->sql().script(sql);
}

ProgramFixture::~ProgramFixture() {
    stop();
}

void ProgramFixture::start(bool showLauncher) {
    program_ = std::make_unique<Program>();
    program_->messages().setMode(MessageService::Mode::Headless);
    QObject::disconnect(program_.get(), &Program::ending, nullptr, nullptr);
    if (showLauncher)
        program_->launcher().show();
}

void ProgramFixture::stop() {
    program_.reset();
}

SqlFile& ProgramFixture::sql() {
    if (!sql_)
        sql_ = std::make_unique<SqlFile>(file_);
    return *sql_;
}

QStringList ProgramFixture::errors() const {
    QStringList texts;
    for (const ShownMessage& m : program_->messages().shown())
        if (m.kind == MessageKind::Error)
            texts << m.text;
    return texts;
}

QStringList ProgramFixture::messageTexts() const {
    QStringList texts;
    for (const ShownMessage& m : program_->messages().shown())
        texts << m.text;
    return texts;
}

} // namespace solvane::test
