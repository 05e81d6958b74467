#pragma once

#include <memory>

#include <QWidget>
#include <array>

namespace Ui {
class TForm13;
}

namespace orbistan::ui {

// Additional information of a bearing: its type in words and its notes. Opens at the top
// left of the screen.
class TForm13 : public QWidget {
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);
    ~TForm13() override;

    // The four type words (display text), the summary line, and the notes.
    // The type words of the codes (kind, rows, load, shape), their summary and the notes.
    void showType(const QString& number, const std::array<int, 4>& codes, const QString& info);
    void clearInfo(); // the box empty, its caption back to "Подшипник № ?"
    void clearForLookup();

    // The type code fields that the save and overwrite windows' choices write, shared by both.
    void setTypeCode(int attribute, int code);
    std::array<int, 4> typeCodes() const;

private:
    std::unique_ptr<Ui::TForm13> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
