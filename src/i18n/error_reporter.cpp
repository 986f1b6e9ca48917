#include "i18n/error_reporter.h"

#include "platform/text.h"

namespace morvel {

namespace {

struct KindInfo {
    Text message;
    const char* codeLine;
};

KindInfo kindInfo(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::LoadImage:
            return {Text::ErrorsLoadimage, "$$$ErrorCode = 120-$WHERE-$NR"};
        case ErrorKind::LargeImage:
            return {Text::ErrorsLargeimage, "$$$ErrorCode = 150-$WHERE-$NR"};
        case ErrorKind::LoadMask:
            return {Text::ErrorsLoadmask, "$$$ErrorCode = 220-$WHERE-$NR"};
        case ErrorKind::SaveImage:
            return {Text::ErrorsSaveimage, "$$$ErrorCode = 130-$WHERE-$NR"};
        case ErrorKind::SaveProject:
            return {Text::ErrorsSaveproject, "$$$ErrorCode = 330-$WHERE-$NR"};
        case ErrorKind::LoadProject:
            return {Text::ErrorsLoadproject, "$$$ErrorCode = 320-$WHERE-$NR"};
        case ErrorKind::InitAviExport:
            return {Text::ErrorsInitaviexport, "$$$ErrorCode = 510-$WHERE-$NR"};
        case ErrorKind::UseAviExport:
            return {Text::ErrorsUseaviexport, "$$$ErrorCode = 530-$WHERE-$NR"};
        case ErrorKind::Window:
            return {Text::ErrorsWindow, "$$$ErrorCode = 410-$WHERE-$NR"};
        case ErrorKind::CreateImage:
            return {Text::ErrorsCreateimage, "$$$ErrorCode = 110-$WHERE-$NR-$W-$H"};
        case ErrorKind::CopyImage:
            return {Text::ErrorsCopyimage, "$$$ErrorCode = 140-$WHERE-$NR"};
        case ErrorKind::DamagedSession:
            return {Text::RequesterDamagedsession, "$$$ErrorCode = 340-$WHERE-$NR"};
        case ErrorKind::PartlyRecovered:
            return {Text::ErrorsPartsession, "$$$ErrorCode = 350-$WHERE-$NR"};
        case ErrorKind::SessionWrite:
            return {Text::ErrorsSessionwrite, "$$$ErrorCode = 360-$WHERE-$NR"};
        case ErrorKind::NoSession:
            return {Text::ErrorsNosession, "$$$ErrorCode = 370-$WHERE-$NR"};
        case ErrorKind::RecoveryNotWritten:
            return {Text::ErrorsRecoverwrite, "$$$ErrorCode = 380-$WHERE-$NR"};
        case ErrorKind::CameraOpen:
            return {Text::ErrorsCameraopen, "$$$ErrorCode = 610-$WHERE-$NR"};
        case ErrorKind::NotACamera:
            return {Text::ErrorsNotcamera, "$$$ErrorCode = 620-$WHERE-$NR"};
        case ErrorKind::CameraFormat:
            return {Text::ErrorsCameraformat, "$$$ErrorCode = 630-$WHERE-$NR"};
        case ErrorKind::CameraGone:
            return {Text::ErrorsCameragone, "$$$ErrorCode = 640-$WHERE-$NR"};
        case ErrorKind::CameraBusy:
            return {Text::ErrorsCamerabusy, "$$$ErrorCode = 650-$WHERE-$NR"};
        case ErrorKind::CaptureFailed:
            return {Text::ErrorsCapturefailed, "$$$ErrorCode = 660-$WHERE-$NR"};
        case ErrorKind::CaptureTimeout:
            return {Text::ErrorsCapturetimeout, "$$$ErrorCode = 670-$WHERE-$NR"};
        case ErrorKind::CaptureWrite:
            return {Text::ErrorsCapturewrite, "$$$ErrorCode = 680-$WHERE-$NR"};
        case ErrorKind::NoCamera:
            return {Text::ErrorsNocamera, "$$$ErrorCode = 690-$WHERE-$NR"};
        case ErrorKind::LoadSound:
            return {Text::ErrorsLoadsound, "$$$ErrorCode = 710-$WHERE-$NR"};
        case ErrorKind::CaptureTemplate:
            return {Text::ErrorsCapturetemplate, "$$$ErrorCode = 695-$WHERE-$NR"};
        case ErrorKind::OnlyOne:
            return {Text::ErrorsOnlyone, "$$$ErrorCode = 0-0-0"};
    }
    return {Text::ErrorsTitle, ""};
}

}  // namespace

std::string BuildErrorText(const LanguageTable& texts, ErrorKind kind, int where, int nr,
                           const std::string& file, int w, int h) {
    const KindInfo info = kindInfo(kind);
    std::string text = texts[info.message] + info.codeLine;
    if (kind == ErrorKind::CopyImage || kind == ErrorKind::LoadSound) {
        const auto bar = file.find('|');
        const std::string source = file.substr(0, bar);
        const std::string target = bar == std::string::npos ? std::string() : file.substr(bar + 1);
        text = ReplaceAll(text, "$FILE1", source);
        text = ReplaceAll(text, "$FILE2", target);
    }
    text = ReplaceAll(text, "$$$", "\r\n");
    text = ReplaceAll(text, "$FILE", file);
    text = ReplaceAll(text, "$NR", std::to_string(nr));
    text = ReplaceAll(text, "$WHERE", std::to_string(where));
    text = ReplaceAll(text, "$W", std::to_string(w));
    text = ReplaceAll(text, "$H", std::to_string(h));
    return text;
}

void ErrorReporter::report(ErrorKind kind, ErrorPlace where, int nr, const std::string& file, int w,
                           int h) const {
    m_dialogs.showError(m_texts[Text::ErrorsTitle],
                        BuildErrorText(m_texts, kind, static_cast<int>(where), nr, file, w, h));
}

}  // namespace morvel
