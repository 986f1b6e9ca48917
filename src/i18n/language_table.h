#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

// The translatable texts, in the order in which a language file is read. Each is addressed by a
// group and a key of the language files and has a German default built into the program.
enum class Text : int {
    MainMenuProject,
    MainMenuNew,
    MainMenuOpen,
    MainMenuSave,
    MainMenuSaveas,
    MainMenuExport,
    MainMenuImageexport,
    MainMenuAviexport,
    MainMenuQuit,
    MainMenuEdit,
    MainMenuUndo,
    MainMenuRedo,
    MainMenuOptions,
    MainMenuLanguage,
    MainMenuOpenmvl,
    MainMenuHelp,
    MainMenuTutorial,
    MainMenuAbout,
    PopUpMenuDelete,
    PopUpMenuRepeat,
    ToolsZoom,
    ToolsEraser,
    ToolsDeraser,
    ToolsSelecter,
    ToolsMover,
    SettingsSize,
    SettingsTransparency,
    SettingsZoomin,
    SettingsZoomout,
    SettingsZoomfit,
    SettingsZoom1to1,
    ElseLayersdescription,
    ElseNewtitle,
    ElseMvldescription,
    ElseStandardprojectname,
    ElseTutoriallink,
    ErrorsCreateimage,
    ErrorsLoadimage,
    ErrorsSaveimage,
    ErrorsCopyimage,
    ErrorsLoadmask,
    ErrorsLoadproject,
    ErrorsSaveproject,
    ErrorsWindow,
    ErrorsInitaviexport,
    ErrorsUseaviexport,
    ErrorsOnlyone,
    ErrorsTitle,
    SaveWindowTitle,
    SaveWindowMaskdescription,
    SaveWindowLayerdescription,
    SaveWindowProject,
    SaveWindowMasks,
    SaveWindowFrames,
    SaveWindowSavein,
    SaveWindowName,
    SaveWindowAuthor,
    SaveWindowComment,
    SaveWindowSave,
    SaveWindowAbbort,
    SaveWindowFolderup,
    SaveWindowChangeview,
    SaveWindowOk,
    RequesterSavetitle,
    RequesterSavetext,
    RequesterOpentitle,
    RequesterOpentext,
    RequesterImageexporttitle,
    RequesterAviexporttitle,
    RequesterImageexporttext,
    RequesterAviexporttext,
    RequesterAviframerate,
    RequesterAviframeratetext,
    // Playback
    MainMenuPlay,
    MainMenuPlaybackrate,
    RequesterPlaybackrate,
    RequesterPlaybackratetext,
    MainMenuOnionskin,
    // Mask views and brush
    MainMenuView,
    MainMenuViewlayer1,
    MainMenuViewlayer2,
    MainMenuViewresult,
    MainMenuShowmask,
    SettingsHardness,
    SettingsHardnesstip,
    // Installation: the progress dialog, the about box's notices, the save window's "no frame
    // copies", the language's locale
    ProgressFile,
    ProgressVideoframe,
    ProgressCancel,
    AboutNotices,
    FrameCopiesNone,
    LanguageLocale,
    // Session recovery: crash recovery, pictures that moved, projects cut short, copy names.
    RequesterSessiontitle,
    RequesterRecoversession,
    RequesterDamagedsession,
    RequesterFramecopiescollide,
    RequesterMissingpictures,
    RequesterSearchfolder,
    RequesterCutshort,
    // Pictures past the size cap
    ErrorsLargeimage,
    // Whole frames
    MainMenuDeleteframe,
    MainMenuDuplicateframe,
    MainMenuInsertframe,
    // Session files that are damaged or cannot be written
    ErrorsPartsession,
    ErrorsSessionwrite,
    ErrorsNosession,
    ErrorsRecoverwrite,
    // Pictures found again by their shoot, not by their names alone
    RequesterChooseshoot,
    RequesterRelinked,
    // Carried masks
    MainMenuCarrymask,
    MainMenuCarrymasks,
    RequesterCarrytitle,
    RequesterCarrynolayer1,
    RequesterCarrynomask,
    RequesterCarrymaskstitle,
    RequesterCarrylast,
    RequesterCarryflow,
    RequesterCarryshift,
    RequesterCarrylimit,
    RequesterCarryhasmask,
    RequesterCarryreplace,
    RequesterCarryskip,
    RequesterCarryreplaceall,
    RequesterCarryprogress,
    // Shooting: the camera menu, its settings and the camera's errors
    MainMenuShooting,
    MainMenuChoosecamera,
    MainMenuLiveview,
    MainMenuCapturelayer1,
    MainMenuCapturelayer2,
    MainMenuPlaylast,
    MainMenuShootingsettings,
    MainMenuDifference,
    RequesterCameratitle,
    RequesterCameratext,
    RequesterShootingtitle,
    RequesterCapturefolder,
    RequesterCapturetemplate,
    RequesterLastframes,
    RequesterOnionopacity,
    RequesterCleanplate,
    ErrorsCameraopen,
    ErrorsNotcamera,
    ErrorsCameraformat,
    ErrorsCameragone,
    ErrorsCamerabusy,
    ErrorsCapturefailed,
    ErrorsCapturetimeout,
    ErrorsCapturewrite,
    ErrorsNocamera,
    // Video delivery
    MainMenuVideoexport,
    RequesterVideoexporttitle,
    RequesterVideoexporttext,
    ProgressVideoexport,
    RequesterVideoexportdone,
    // Sound
    MainMenuLoadsound,
    MainMenuRemovesound,
    MainMenuSoundoffset,
    MainMenuMutesound,
    RequesterLoadsound,
    RequesterLoadsoundtext,
    RequesterSoundoffset,
    RequesterSoundoffsettext,
    ErrorsLoadsound,
    ErrorsSoundnotsound,
    ErrorsSoundnosound,
    ErrorsSounddamaged,
    ErrorsSoundempty,
    ErrorsSoundlayout,
    ErrorsSoundcodec,
    ErrorsSoundmissing,
    ElseSoundnodevice,
    // Project files opened by the program: the answer of the menu item
    ElseAssociated,
    ElseNotassociated,
    // Exports on a worker
    ProgressExportframe,
    ProgressExportframeleft,
    ElseExportdone,
    ElseExportnone,
    ElseExportcancelled,
    ElseExportcancellednone,
    // A remembered workplace
    MainMenuRecentprojects,
    MainMenuNorecentprojects,
    // Sound, a device lost while the film plays
    ElseSoundlost,
    // Shooting: the camera chooser and the shooting settings' dialog
    RequesterCameralist,
    RequesterCameranone,
    RequesterCameraurl,
    RequesterCapturefolderbutton,
    RequesterCapturefolderdefault,
    ErrorsCapturetemplate,
    // Films made before pictures were turned upright
    ElseStoredorientation,
};

constexpr int kTextCount = static_cast<int>(Text::ElseStoredorientation) + 1;

struct TextEntry {
    std::string_view group;
    std::string_view key;
    std::string_view germanDefault;  // UTF-8
};

// All texts in use, starting with the German defaults. LoadLanguage fills it from a file.
class LanguageTable {
public:
    LanguageTable();

    const std::string& operator[](Text text) const { return m_texts[index(text)]; }
    void set(Text text, std::string value) { m_texts[index(text)] = std::move(value); }
    void resetToDefaults();

    // Texts beyond enum Text, addressed by group and key alone, so that a part of the program
    // (a tool) brings its own: add keeps one at its default until a language file gives it; a
    // text of the table or one added before is not added again.
    void add(const TextEntry& entry);
    const std::vector<TextEntry>& added() const { return m_addedEntries; }
    void setAdded(std::size_t i, std::string value) { m_addedTexts[i] = std::move(value); }
    // The text of entry: the table's when it is one of the table's texts, else the added one;
    // its German default when it was never added.
    std::string operator[](const TextEntry& entry) const;

    static const TextEntry& entry(Text text);
    static const std::array<TextEntry, kTextCount>& entries();

private:
    static std::size_t index(Text text) { return static_cast<std::size_t>(text); }
    std::array<std::string, kTextCount> m_texts;
    std::vector<TextEntry> m_addedEntries;
    std::vector<std::string> m_addedTexts;
};

}  // namespace morvel
