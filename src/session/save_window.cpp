#include "session/save_window.h"

#include "project/name_template.h"

namespace morvel {

namespace {

SaveGadgetPlan gadget(SaveGadget number, SaveGadgetKind kind, int x, int y, int width, int height,
                      std::string text = {}, std::string tooltip = {}) {
    SaveGadgetPlan plan;
    plan.number = +number;
    plan.kind = kind;
    plan.x = x;
    plan.y = y;
    plan.width = width;
    plan.height = height;
    plan.text = std::move(text);
    plan.tooltip = std::move(tooltip);
    return plan;
}

}  // namespace

const std::vector<std::string>& OfferedMaskTemplates() {
    static const std::vector<std::string> templates{
        "masks/$Project_$Nr.png",  "masks/$Nr.png",  "$Project_$Nr.png",  "$Nr.png",
        "masks/$Project_$Nr.mask", "masks/$Nr.mask", "$Project_$Nr.mask", "$NR.mask"};
    return templates;
}

std::vector<std::string> OfferedFrameTemplates(const LanguageTable& texts) {
    return {texts[Text::FrameCopiesNone], "$Layer/$Project_$Nr", "$Layer/$NR",
            "img/$Project_$Layer_$Nr",    "img/$Layer_$NR",      "$Layer_$Project_$Nr"};
}

SaveWindowPlan MakeSaveWindowPlan(const LanguageTable& t) {
    using K = SaveGadgetKind;
    using G = SaveGadget;
    SaveWindowPlan plan;
    plan.title = t[Text::SaveWindowTitle];
    plan.gadgets = {
        gadget(G::FolderList, K::FolderList, 10, 40, 480, 190),
        gadget(G::ProjectName, K::TextField, 90, 240, 310, 20),
        gadget(G::MaskTemplates, K::EditableList, 90, 270, 310, 160, {},
               t[Text::SaveWindowMaskdescription]),
        gadget(G::FrameTemplates, K::EditableList, 90, 300, 310, 100, {},
               t[Text::SaveWindowLayerdescription]),
        gadget(G::ProjectLabel, K::Label, 10, 245, 80, 20, t[Text::SaveWindowProject]),
        gadget(G::MasksLabel, K::Label, 10, 275, 80, 20, t[Text::SaveWindowMasks]),
        gadget(G::FramesLabel, K::Label, 10, 305, 80, 20, t[Text::SaveWindowFrames]),
        gadget(G::SaveInLabel, K::Label, 10, 15, 90, 20, t[Text::SaveWindowSavein]),
        gadget(G::TitleLabel, K::Label, 10, 335, 50, 20, t[Text::SaveWindowName]),
        gadget(G::AuthorLabel, K::Label, 280, 335, 50, 20, t[Text::SaveWindowAuthor]),
        gadget(G::CommentLabel, K::Label, 10, 360, 80, 20, t[Text::SaveWindowComment]),
        gadget(G::Title, K::TextField, 90, 330, 160, 20),
        gadget(G::Author, K::TextField, 330, 330, 160, 20),
        gadget(G::Comment, K::MultiLineText, 90, 355, 400, 60),
        gadget(G::FolderPath, K::FolderPathBox, 90, 10, 342, 200),
        gadget(G::Save, K::PushButton, 410, 238, 80, 25, t[Text::SaveWindowSave]),
        gadget(G::Cancel, K::PushButton, 410, 268, 80, 25, t[Text::SaveWindowAbbort]),
        gadget(G::FolderUp, K::ImageButton, 439, 9, 24, 24, {}, t[Text::SaveWindowFolderup]),
        gadget(G::ChangeView, K::ImageButton, 466, 9, 24, 24, {}, t[Text::SaveWindowChangeview]),
    };
    for (SaveGadgetPlan& g : plan.gadgets) {
        if (g.number == +G::MaskTemplates) g.items = OfferedMaskTemplates();
        if (g.number == +G::FrameTemplates) g.items = OfferedFrameTemplates(t);
        if (g.number == +G::FolderUp) g.image = kFolderUpImage;
        if (g.number == +G::ChangeView) g.image = kChangeViewImage;
    }
    return plan;
}

bool IsValidFileName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 1 && code <= 31) return false;
        if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) return false;
    }
    return true;
}

std::string ParentFolder(const std::string& folder) {
    const std::size_t last = folder.rfind('/');
    if (last == std::string::npos || last == 0) return {};
    const std::size_t secondLast = folder.rfind('/', last - 1);
    if (secondLast == std::string::npos) return {};
    return folder.substr(0, secondLast + 1);
}

int NextExplorerView(int mode) {
    return mode >= +ExplorerView::Details || mode < 0 ? +ExplorerView::LargeIcons : mode + 1;
}

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string WithLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

void SettleSaveWindow(const SaveWindowEntries& entries, SaveWindowFields& fields,
                      std::string_view noFrameCopies) {
    fields.projectFilePath = entries.folder + ReplaceExtension(entries.name, ".mvl");
    fields.maskTemplate = entries.maskTemplate.empty() ? kEmptyMaskTemplate : entries.maskTemplate;
    fields.frameTemplate =
        entries.frameTemplate == noFrameCopies ? std::string() : entries.frameTemplate;
    fields.title = entries.title;
    fields.author = entries.author;
    fields.comment = WithCrLf(entries.comment);
}

}  // namespace morvel
