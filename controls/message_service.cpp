// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/message_service.h"

#include "store/connection.h"
#include "store/modal_pause.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace solvane {

MessageService::MessageService() {
    const QByteArray env = qgetenv("SOLVANE_DIALOGS");
    if (env == "stderr")
        mode_ = Mode::Stderr;
    else if (env == "headless")
        mode_ = Mode::Headless;
    else
        mode_ = Mode::Interactive;
}

namespace {

MessageAnswer defaultAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::Yes;
    }
    return MessageAnswer::Ok;
}

bool answerFits(MessageAnswer answer, MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return answer == MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
    }
    return false;
}

} // namespace

MessageAnswer MessageService::show(QWidget* parent, MessageKind kind, const QString& caption, const QString& text,
                                   MessageButtons buttons) {
    ModalPause pause(connection_);
    MessageAnswer answer = defaultAnswer(buttons);
    if (mode_ != Mode::Interactive) {
        if (!answers_.empty()) {
            if (answerFits(answers_.front(), buttons))
                answer = answers_.front();
            answers_.pop_front();
        }
        if (mode_ == Mode::Stderr) {
            std::fprintf(stderr, "[%s] %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
            std::fflush(stderr);
        }
    } else {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (kind) {
        case MessageKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageKind::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageKind::Confirmation:
            box.setIcon(QMessageBox::Question);
            break;
        }
        QPushButton* ok = nullptr;
        QPushButton* cancel = nullptr;
        QPushButton* yes = nullptr;
        QPushButton* no = nullptr;
        switch (buttons) {
        case MessageButtons::Ok:
            ok = box.addButton(QMessageBox::Ok);
            box.setEscapeButton(ok);
            break;
        case MessageButtons::OkCancel:
            ok = box.addButton(QMessageBox::Ok);
            cancel = box.addButton(QMessageBox::Cancel);
            box.setEscapeButton(cancel);
            break;
        case MessageButtons::YesNo:
            yes = box.addButton(QMessageBox::Yes);
            no = box.addButton(QMessageBox::No);
            // The program's questions are answered in its own language.
            yes->setText(QStringLiteral("Да"));
            no->setText(QStringLiteral("Нет"));
            box.setEscapeButton(no);
            break;
        }
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (clicked && clicked == cancel)
            answer = MessageAnswer::Cancel;
        else if (clicked && clicked == no)
            answer = MessageAnswer::No;
        else if (clicked && clicked == yes)
            answer = MessageAnswer::Yes;
        else if (!clicked && cancel)
            answer = MessageAnswer::Cancel;
        else if (!clicked && no)
            answer = MessageAnswer::No;
        else
            answer = ok ? MessageAnswer::Ok : answer;
    }
    shown_.push_back({kind, caption, text, buttons, answer});
    return answer;
}

void MessageService::showError(QWidget* parent, const QString& text) {
    QString title = QApplication::applicationDisplayName();
    if (title.isEmpty())
        title = QStringLiteral("Solvane");
    show(parent, MessageKind::Error, title, text, MessageButtons::Ok);
}

bool MessageService::confirmDelete(QWidget* parent) {
    return show(parent, MessageKind::Confirmation, QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                MessageButtons::OkCancel) == MessageAnswer::Ok;
}

} // namespace solvane
