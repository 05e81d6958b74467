#pragma once
// Texts that the input warnings show, shared by the window and the command line.
// These are display texts (UTF-8), not data: they never reach a data file.

namespace orbistan::text {

inline constexpr const char* kEnterDataCorrectly = "Вводите данные для расчета правильно ";
inline constexpr const char* kNotComputedWithNewData = "Не был выполнен расчет с новыми данными";
// TForm6 and the command line, when a record could not be written or found.
inline constexpr const char* kDataNotSaved = "Данные не могут быть сохранены";
inline constexpr const char* kNotInBase = "Данных о таком подшипнике в базе нет";

// TForm3, two lines.
inline constexpr const char* kOuterNotGreater1 = "Наружный диаметр подшипника ";
inline constexpr const char* kOuterNotGreater2 = "не может быть меньше или равен внутреннему ! ! !";
// TForm5.
inline constexpr const char* kNegativeAngle =
    "Угол контакта должен иметь положительно значение ! ! !";
// TForm2: a separate "w" stands just after the first "D", in the blanks left for it.
inline constexpr const char* kNotPositive =
    "Значения Z, f, D   , D, d не могут быть меньше или равны нулю ! ! !";
inline constexpr const char* kNotPositiveW = "w";
// The same message as one line of text, the "w" in its place.
inline constexpr const char* kNotPositiveLine =
    "Значения Z, f, Dw  , D, d не могут быть меньше или равны нулю ! ! !";

} // namespace orbistan::text
