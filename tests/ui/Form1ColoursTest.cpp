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

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kPurple = RGB(128, 0, 128);
constexpr ui::Form1Colours kDefaultWindow{kWhite, kBlack};

struct ChoiceCase {
    const char* scheme;
    bool highContrast;
    ui::Form1Colours window, button;  // the system's pairs
    ui::Form1Colours chosen;
};

class ChooseForm1ColoursTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseForm1ColoursTest, KeepsTheGreyOnlyWhereTextReadsWellOnIt) {
    const ChoiceCase& scheme = GetParam();
    const ui::Form1Colours chosen =
        ui::ChooseForm1Colours(scheme.highContrast, scheme.window, scheme.button);
    EXPECT_EQ(scheme.chosen.background, chosen.background) << scheme.scheme;
    EXPECT_EQ(scheme.chosen.text, chosen.text) << scheme.scheme;
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, ChooseForm1ColoursTest,
    testing::Values(
        ChoiceCase{"default", false, kDefaultWindow, {kFace, kBlack}, {kGrey, kBlack}},
        ChoiceCase{"dark grey text, 5.3:1",
                   false,
                   kDefaultWindow,
                   {kFace, RGB(89, 89, 89)},
                   {kGrey, RGB(89, 89, 89)}},
        ChoiceCase{"mid grey text, 3.4:1",
                   false,
                   kDefaultWindow,
                   {kFace, RGB(118, 118, 118)},
                   kDefaultWindow},
        ChoiceCase{"white on black", false, {kBlack, kWhite}, {kBlack, kWhite}, {kBlack, kWhite}},
        ChoiceCase{"window pair unlike the button pair",
                   false,
                   {kBlack, kYellow},
                   {kPurple, kWhite},
                   {kBlack, kYellow}},
        ChoiceCase{"high contrast, black on white",
                   true,
                   kDefaultWindow,
                   {kWhite, kBlack},
                   kDefaultWindow},
        ChoiceCase{"high contrast, yellow on black window, white on purple buttons",
                   true,
                   {kBlack, kYellow},
                   {kPurple, kWhite},
                   {kBlack, kYellow}},
        ChoiceCase{"user-made: grey on grey window, buttons read better",
                   true,
                   {kGrey, RGB(170, 170, 170)},
                   {kBlack, kWhite},
                   {kBlack, kWhite}},
        ChoiceCase{"user-made: both pairs poor, the window pair less so",
                   true,
                   {kWhite, RGB(130, 130, 130)},
                   {kGrey, RGB(150, 150, 150)},
                   {kWhite, RGB(130, 130, 130)}}));

}  // namespace
