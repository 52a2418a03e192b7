// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace solvane {

// The converter "Конвертер": an amount per litre as a percentage content.
// It reads and writes no data; closing it only hides it, so the amount, the
// unit and the result stay for the next opening.
class ConverterWindow : public Form {
    Q_OBJECT
public:
    explicit ConverterWindow(HandlerGuard& guard);
    ~ConverterWindow() override;

    // The amount changed.
    void amountChanged();
    // The unit changed (chosen or typed).
    void unitChanged();

    // The position of the unit the box holds, -1 when its text is none of them.
    int unitPosition() const;

private:
    QLineEdit* amountBox_ = nullptr;
    QComboBox* unitBox_ = nullptr;
    QLabel* resultLabel_ = nullptr;

    // The result for the amount and unit in the boxes; emptyText is shown
    // when the amount box is empty.
    void convert(const QString& emptyText);
};

} // namespace solvane
