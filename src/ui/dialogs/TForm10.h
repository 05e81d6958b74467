#pragma once

#include <memory>

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace Ui {
class TForm10;
}

namespace orbistan::ui {

// Results window of the frequency search: one list per sideband combination, in the
// search's order, with its heading, and the frequencies the search worked on.
class TForm10 : public QWidget {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);
    ~TForm10() override;

    // Empties the lists and sets the caption and the frequency panel (Fr, Fo, ..., Fw*).
    void prepare(const QString& caption, const QStringList& frequencies);
    void setList(int combination, const QString& lines);
    void setHeading(int combination, const QString& heading);

    void Button1Click();

private:
    std::unique_ptr<Ui::TForm10> ui; // the form's controls, made by uic
    std::array<QPlainTextEdit*, 14> lists_{};
    std::array<QLabel*, 14> headings_{};
    std::array<QLineEdit*, 8> frequencies_{};
};

} // namespace orbistan::ui
