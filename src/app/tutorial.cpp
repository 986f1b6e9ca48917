#include "app/tutorial.h"

#include "i18n/language_table.h"

namespace morvel {

namespace {

bool OpensShippedPage(const Program& state) {
    const std::string& link = state.services.language.texts[Text::ElseTutoriallink];
    return link == LanguageTable::entry(Text::ElseTutoriallink).germanDefault;
}

}  // namespace

std::string TutorialAddress(const Program& state) {
    if (OpensShippedPage(state)) return "file://" + state.services.files.dataFolder + kTutorialPage;
    return state.services.language.texts[Text::ElseTutoriallink];
}

std::string TutorialLabel(const Program& state) {
    std::string label = state.services.language.texts[Text::MainMenuTutorial];
    if (!OpensShippedPage(state) || label.empty() || label.back() != ')') return label;
    const std::size_t open = label.rfind(" (");
    if (open != std::string::npos && open > 0) label.erase(open);
    return label;
}

}  // namespace morvel
