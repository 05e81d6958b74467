#pragma once

#include "ui_TForm10.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace orbistan::ui {

// Results window of the frequency search: one list per sideband combination, in the
// search's order, with its heading, and the frequencies the search worked on.
class TForm10 : public QWidget {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

    // Empties the lists and sets the caption and the frequency panel (Fr, Fo, ..., Fw*).
    void prepare(const QString& caption, const QStringList& frequencies);
    void setList(int combination, const QString& lines);
    void setHeading(int combination, const QString& heading);

    void Button1Click();

private:
    Ui::TForm10 ui;
    std::array<QPlainTextEdit*, 14> lists_{};
    std::array<QLabel*, 14> headings_{};
    std::array<QLineEdit*, 8> frequencies_{};
};

} // namespace orbistan::ui
