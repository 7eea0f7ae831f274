#pragma once

#include <QDialog>

class QTextBrowser;

namespace korva {

// The program's manual, in Spanish, built into the program: readable
// offline on any machine, with the error table's texts at its end.
class Manual final : public QDialog {
    Q_OBJECT
public:
    explicit Manual(QWidget* parent = nullptr);
    QTextBrowser* texto() const { return texto_; }
    // The manual as shown: its text and the table of error texts.
    static QString html();
    // At most one open; F1 brings it up again.
    static Manual* abre(QWidget* parent);

private:
    QTextBrowser* texto_;
};

} // namespace korva
