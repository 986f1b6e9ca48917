#include "i18n/error_reporter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "i18n/language_file.h"
#include "test_support/recording_shell.h"

namespace morvel {
namespace {

using testing::RecordingShell;

class ErrorText : public ::testing::Test {
protected:
    std::string build(ErrorKind kind, int where, int nr, const std::string& file = {}, int w = 0,
                      int h = 0) const {
        return BuildErrorText(m_texts, kind, where, nr, file, w, h);
    }
    // The code line, the last line of every message.
    std::string codeLine(ErrorKind kind, int where, int nr, int w = 0, int h = 0) const {
        const std::string text = build(kind, where, nr, {}, w, h);
        const auto lineStart = text.rfind("\r\n");
        return lineStart == std::string::npos ? std::string() : text.substr(lineStart + 2);
    }

    LanguageTable m_texts;
};

TEST_F(ErrorText, EveryKindHasItsOwnCode) {
    EXPECT_EQ(codeLine(ErrorKind::LoadImage, 2, 3), "ErrorCode = 120-2-3");
    EXPECT_EQ(codeLine(ErrorKind::LargeImage, 7, 1), "ErrorCode = 150-7-1");
    EXPECT_EQ(codeLine(ErrorKind::LoadMask, 12, 3), "ErrorCode = 220-12-3");
    EXPECT_EQ(codeLine(ErrorKind::SaveImage, 9, 3), "ErrorCode = 130-9-3");
    EXPECT_EQ(codeLine(ErrorKind::SaveProject, 11, 3), "ErrorCode = 330-11-3");
    EXPECT_EQ(codeLine(ErrorKind::LoadProject, 8, 3), "ErrorCode = 320-8-3");
    EXPECT_EQ(codeLine(ErrorKind::InitAviExport, 15, 3), "ErrorCode = 510-15-3");
    EXPECT_EQ(codeLine(ErrorKind::UseAviExport, 15, 3), "ErrorCode = 530-15-3");
    EXPECT_EQ(codeLine(ErrorKind::Window, 13, 3), "ErrorCode = 410-13-3");
    EXPECT_EQ(codeLine(ErrorKind::CreateImage, 5, 3, 7, 8), "ErrorCode = 110-5-3-7-8");
    EXPECT_EQ(codeLine(ErrorKind::CopyImage, 8, 3), "ErrorCode = 140-8-3");
    EXPECT_EQ(codeLine(ErrorKind::OnlyOne, 0, 0), "ErrorCode = 0-0-0");
}

TEST_F(ErrorText, CreateImageExampleGivesThreeLines) {
    EXPECT_EQ(build(ErrorKind::CreateImage, 5, 100, {}, 640, 480),
              "Ein Bild konnte nicht erstellt werden.\r\n"
              "Eventuell ist ihr Arbeitsspeicher voll.\r\n"
              "ErrorCode = 110-5-100-640-480");
}

TEST_F(ErrorText, OnlyOneIgnoresPlaceAndNumber) {
    EXPECT_EQ(build(ErrorKind::OnlyOne, 14, 999, "file.png", 1, 2),
              "Das Programm wurde bereits gestartet.\r\n"
              "Es kann immer nur eine Instanz von Morvel laufen.\r\n"
              "ErrorCode = 0-0-0");
}

TEST_F(ErrorText, TextWithoutLineBreakIsOneLineAndTheCodeLine) {
    EXPECT_EQ(build(ErrorKind::LoadMask, 12, 7),
              "Die Maske Nr. 7 konnte nicht geladen werden.\r\nErrorCode = 220-12-7");
    EXPECT_EQ(build(ErrorKind::SaveProject, 11, 100, "/home/u/Film.mvl"),
              "Das Projekt '/home/u/Film.mvl' konnte nicht gespeichert werden.\r\n"
              "ErrorCode = 330-11-100");
}

TEST_F(ErrorText, CopyImageSplitsTheFileAtTheBar) {
    EXPECT_EQ(build(ErrorKind::CopyImage, 8, 300, "a.png|b.png"),
              "Das Bild 'a.png' konnte nicht nach 'b.png' kopiert werden.\r\n"
              "\xC3\x9C"
              "berpr\xC3\xBC"
              "fen Sie ob gen\xC3\xBCgend Speicherplatz zur Verf\xC3\xBCgung steht oder ob sie "
              "das Ursprungsbild eventuell veschoben oder gel\xC3\xB6scht haben.\r\n"
              "ErrorCode = 140-8-300");
}

TEST_F(ErrorText, CopyImageMissingFieldIsEmpty) {
    const auto firstLine = [](const std::string& text) {
        return text.substr(0, text.find("\r\n"));
    };
    EXPECT_EQ(firstLine(build(ErrorKind::CopyImage, 11, 1, "a.png")),
              "Das Bild 'a.png' konnte nicht nach '' kopiert werden.");
    EXPECT_EQ(firstLine(build(ErrorKind::CopyImage, 11, 1, "|b.png")),
              "Das Bild '' konnte nicht nach 'b.png' kopiert werden.");
    EXPECT_EQ(firstLine(build(ErrorKind::CopyImage, 11, 1, "")),
              "Das Bild '' konnte nicht nach '' kopiert werden.");
}

TEST_F(ErrorText, PlaceholdersInsideTheFileNameAreReplacedToo) {
    m_texts.set(Text::ErrorsLoadimage, "[$FILE]");
    EXPECT_EQ(build(ErrorKind::LoadImage, 2, 5, "x$NR-$WHERE-$W-$H.png"),
              "[x5-2-0-0.png]\r\nErrorCode = 120-2-5");
}

TEST_F(ErrorText, LineBreakMarkerInAFileNameStaysExceptForCopyImage) {
    m_texts.set(Text::ErrorsLoadimage, "[$FILE]");
    m_texts.set(Text::ErrorsCopyimage, "[$FILE1][$FILE2]");
    EXPECT_EQ(build(ErrorKind::LoadImage, 7, 1, "a$$$b.png"), "[a$$$b.png]\r\nErrorCode = 120-7-1");
    // The two names are put in before the line breaks are made.
    EXPECT_EQ(build(ErrorKind::CopyImage, 8, 300, "a$$$b.png|c$$$d.png"),
              "[a\r\nb.png][c\r\nd.png]\r\nErrorCode = 140-8-300");
}

TEST_F(ErrorText, LongerPlaceholdersAreNotCutByShorterOnes) {
    m_texts.set(Text::ErrorsCreateimage, "$WHERE $W $H $FILE");
    EXPECT_EQ(build(ErrorKind::CreateImage, 14, 2, "f", 30, 40),
              "14 30 40 f\r\nErrorCode = 110-14-2-30-40");
    m_texts.set(Text::ErrorsCopyimage, "$FILE1 $FILE2 $FILE");
    EXPECT_EQ(build(ErrorKind::CopyImage, 11, 1, "s|t"), "s t s|t\r\nErrorCode = 140-11-1");
}

TEST_F(ErrorText, PlaceholdersMatchOnlyInUpperCase) {
    m_texts.set(Text::ErrorsLoadimage, "$file $nr $Nr");
    EXPECT_EQ(build(ErrorKind::LoadImage, 2, 5, "x"), "$file $nr $Nr\r\nErrorCode = 120-2-5");
}

TEST_F(ErrorText, UnusedPlaceholdersGetEmptyOrZero) {
    m_texts.set(Text::ErrorsWindow, "'$FILE' $W $H");
    EXPECT_EQ(build(ErrorKind::Window, 13, 1), "'' 0 0\r\nErrorCode = 410-13-1");
}

TEST_F(ErrorText, NegativeNumbersHaveTheirSign) {
    EXPECT_EQ(codeLine(ErrorKind::LoadImage, -1, -2), "ErrorCode = 120--1--2");
    EXPECT_EQ(codeLine(ErrorKind::CreateImage, INT_MIN, INT_MIN, INT_MIN, INT_MAX),
              "ErrorCode = 110--2147483648--2147483648--2147483648-2147483647");
}

TEST_F(ErrorText, EmptyTranslatedTextGivesAnEmptyFirstLine) {
    ApplyLanguageFile("[Errors]\nloadimage =\n", m_texts);
    EXPECT_EQ(build(ErrorKind::LoadImage, 7, 1, "a.png"), "\r\nErrorCode = 120-7-1");
}

TEST_F(ErrorText, CodeLinesAreNotTranslated) {
    ApplyLanguageFile("[Errors]\nonlyone = Already running.\n", m_texts);
    EXPECT_EQ(build(ErrorKind::OnlyOne, 0, 0), "Already running.\r\nErrorCode = 0-0-0");
}

TEST(ErrorReporter, ShowsTheTextUnderTheErrorsTitle) {
    LanguageTable texts;
    RecordingShell shell;
    const ErrorReporter reporter(texts, shell);
    reporter.report(ErrorKind::LoadMask, ErrorPlace::MoveMask, 4);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_EQ(shell.errors[0].caption, "Fehler !");
    EXPECT_EQ(shell.errors[0].text,
              "Die Maske Nr. 4 konnte nicht geladen werden.\r\nErrorCode = 220-12-4");
}

TEST(ErrorReporter, UsesTheTextsInUseAtTheTimeOfTheCall) {
    LanguageTable texts;
    RecordingShell shell;
    const ErrorReporter reporter(texts, shell);
    ApplyLanguageFile("[Errors]\ntitle = Error!\nloadmask = Mask $NR is missing.\n", texts);
    reporter.report(ErrorKind::LoadMask, ErrorPlace::ComposeFrame, 9);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_EQ(shell.errors[0].caption, "Error!");
    EXPECT_EQ(shell.errors[0].text, "Mask 9 is missing.\r\nErrorCode = 220-2-9");
}

}  // namespace
}  // namespace morvel
