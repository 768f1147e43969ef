#include "access/VariantText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Named : IDispatchObject {
    std::u16string name;
    explicit Named(std::u16string n) : name(std::move(n)) {}
    std::u16string DefaultValueText() override { return name; }
};

} // namespace

TEST(VariantText, ConvertsEachKindAsTheUserSeesIt) {
    const QLocale c(QLocale::C);
    const QLocale german(QLocale::German);
    EXPECT_EQ(VariantToText(Variant(), c), "");
    EXPECT_EQ(VariantToText(Variant(u"文本 text"), c), "文本 text");
    EXPECT_EQ(VariantToText(Variant(3.0), c), "3");
    EXPECT_EQ(VariantToText(Variant(-1250.0), c), "-1250");
    EXPECT_EQ(VariantToText(Variant(1250.5), c), "1250.5");
    EXPECT_EQ(VariantToText(Variant(1250.5), german), "1250,5") << "the locale's decimal separator";
    EXPECT_EQ(VariantToText(Variant(0.1 + 0.2), c), "0.3") << "at most 15 significant digits";
    EXPECT_EQ(VariantToText(Variant(1.0 / 3.0), c), "0.333333333333333");
    EXPECT_EQ(VariantToText(Variant(true), c), "True");
    EXPECT_EQ(VariantToText(Variant(Variant::Object(std::make_shared<Named>(u"($All)"))), c), "($All)");

    // 2026-01-01 is 46023 days after 1899-12-30.
    const QString date = VariantToText(Variant(OleDate{46023.0}), c);
    EXPECT_FALSE(date.contains(':')) << "midnight shows the date alone: " << date.toStdString();
    EXPECT_TRUE(date.contains("26")) << date.toStdString();
    EXPECT_EQ(VariantToText(Variant(OleDate{0.5}), c), "12:00:00") << "the zero date shows the time alone";
    const QString both = VariantToText(Variant(OleDate{46023.75}), c);
    EXPECT_TRUE(both.endsWith(" 18:00:00")) << both.toStdString();

    // Damaged values raise the conversion error instead of computing garbage.
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e19})
        EXPECT_THROW(VariantToText(Variant(OleDate{bad}), c), EOleException) << bad;
}

TEST(VariantText, ArraysCannotBeConvertedButTheirElementsCan) {
    const Variant list(Variant::Array{Variant(u"a"), Variant(2.0)});
    EXPECT_THROW(VariantToText(list), EOleException);
    EXPECT_EQ(VariantArrayToTexts(list, QLocale::c()), QStringList({"a", "2"}));
    const Variant nested(Variant::Array{Variant(u"a"), list});
    EXPECT_THROW(VariantArrayToTexts(nested), EOleException) << "a multi-valued column entry";
    EXPECT_THROW(VariantArrayToTexts(Variant(u"scalar")), EOleException);
}

TEST(VariantText, WithoutALocaleValuesAreShownAsUnderTheChineseOne) {
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    UseChineseLocaleWhereNoneIsSet();
    // 1962-02-06 is 22683 days after 1899-12-30.
    EXPECT_EQ(VariantToText(Variant(OleDate{22683.0})), "1962/2/6");
    QLocale::setDefault(QLocale(QLocale::German));
    UseChineseLocaleWhereNoneIsSet();
    EXPECT_EQ(QLocale().language(), QLocale::German) << "a locale the user chose stays";
    QLocale::setDefault(before);
}

TEST(IsIntegerText, AcceptsExactlyWholeThirtyTwoBitIntegers) {
    const char* accepted[] = {"0012", "   12",     "+7",   "-2147483648", "2147483647", "$1F",
                              "x1f",  "X7FFFFFFF", "0x10", "-$80000000",  "0"};
    const char* rejected[] = {"12 ", "",  "   ", "1.5", "2147483648", "-2147483649", "$",   "0x",
                              "+",   "-", "1e3", "abc", "$1G",        "\t12",        "１２"};
    for (const char* text : accepted)
        EXPECT_TRUE(IsIntegerText(QString::fromUtf8(text))) << text;
    for (const char* text : rejected)
        EXPECT_FALSE(IsIntegerText(QString::fromUtf8(text))) << text;
}
