#include <gtest/gtest.h>

#include "ui/Form1Colours.h"

namespace {

constexpr COLORREF kGrey = RGB(224, 224, 224);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFace = RGB(240, 240, 240);

struct ContrastCase {
    COLORREF first, second;
    double ratio;
};

class ContrastRatioTest : public testing::TestWithParam<ContrastCase> {};

TEST_P(ContrastRatioTest, MatchesTheReadabilityFormula) {
    EXPECT_NEAR(GetParam().ratio, ui::ContrastRatio(GetParam().first, GetParam().second), 0.01);
    EXPECT_NEAR(GetParam().ratio, ui::ContrastRatio(GetParam().second, GetParam().first), 0.01);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ContrastRatioTest,
                         testing::Values(ContrastCase{kBlack, kWhite, 21.0},
                                         ContrastCase{kGrey, kGrey, 1.0},
                                         ContrastCase{kWhite, kGrey, 1.32},
                                         ContrastCase{kBlack, kGrey, 15.91},
                                         ContrastCase{RGB(255, 255, 0), kBlack, 19.56}));

struct ChoiceCase {
    const char* scheme;
    bool highContrast;
    COLORREF buttonText, buttonFace;
    COLORREF background, text;  // chosen
};

class ChooseForm1ColoursTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseForm1ColoursTest, KeepsTheGreyOnlyWhereTextReadsWellOnIt) {
    const ChoiceCase& scheme = GetParam();
    const ui::Form1Colours chosen =
        ui::ChooseForm1Colours(scheme.highContrast, scheme.buttonText, scheme.buttonFace);
    EXPECT_EQ(scheme.background, chosen.background) << scheme.scheme;
    EXPECT_EQ(scheme.text, chosen.text) << scheme.scheme;
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, ChooseForm1ColoursTest,
    testing::Values(
        ChoiceCase{"default", false, kBlack, kFace, kGrey, kBlack},
        ChoiceCase{"dark grey text, 5.3:1", false, RGB(89, 89, 89), kFace, kGrey, RGB(89, 89, 89)},
        ChoiceCase{"mid grey text, 3.4:1", false, RGB(118, 118, 118), kFace, kFace,
                   RGB(118, 118, 118)},
        ChoiceCase{"white on black", false, kWhite, kBlack, kBlack, kWhite},
        ChoiceCase{"high contrast, black on white", true, kBlack, kWhite, kWhite, kBlack},
        ChoiceCase{"high contrast, yellow on black", true, RGB(255, 255, 0), kBlack, kBlack,
                   RGB(255, 255, 0)}));

}  // namespace
