#include "session/project_lifecycle.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>

#include "editor/canvas.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "editor/zoom.h"
#include "import/import_progress.h"
#include "import/layer_picture.h"
#include "import/thumbnail.h"
#include "import/thumbnail_loader.h"
#include "import/thumbnail_queue.h"
#include "platform/files.h"
#include "platform/text.h"
#include "project/copy_names.h"
#include "project/folder_keeping_dialogs.h"
#include "project/name_template.h"
#include "project/project_file.h"
#include "session/moved_pictures.h"
#include "session/save_window.h"

namespace morvel {

namespace {

// The working files of this session: "morvel<n>.tmp" for the mask numbers it handed out. In a
// shared temporary folder another program's files of that pattern but higher numbers stay.
void deleteWorkingFiles(const Document& document) {
    for (const FolderEntry& entry : ListFolder(document.masks.folder())) {
        const std::string& name = entry.name;
        if (!entry.isFile || name.size() < 10 || name.compare(0, 6, "morvel") != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string hex = name.substr(6, name.size() - 10);
        char* end = nullptr;
        const unsigned long n = std::strtoul(hex.c_str(), &end, 16);
        if (end != hex.c_str() + hex.size() || n == 0 ||
            n >= static_cast<unsigned long>(document.masks.nextNumber) ||
            MaskWorkingFileName(static_cast<std::int32_t>(n)) != name)
            continue;
        ::unlink((document.masks.folder() + name).c_str());  // one that cannot go stays
    }
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    std::string folder = (home && *home) ? home : TemporaryFolder();
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

std::string WindowTitleFor(const std::string& title) {
    return title + " - Morvel";
}

void UpdateWindowTitle(const EditSession& session, View& view, Services& services) {
    const std::string title = (ProjectChanged(session) ? "*" : "") + WindowTitleFor(view.titleText);
    if (title == view.windowTitle) return;
    view.windowTitle = title;
    services.shell.setWindowTitle(title);
}

namespace {

// Shows the title of a project just made, opened, saved or recovered.
void showTitle(const std::string& text, const EditSession& session, View& view,
               Services& services) {
    view.titleText = text;
    view.windowTitle.clear();  // told again even when it reads the same
    UpdateWindowTitle(session, view, services);
}

// How many frames the strip shows first when the window cannot say how many are in view.
constexpr int kFirstThumbnailFrames = 24;

// The frames [first, end) of count whose columns lie in the strip's view (one more on each side).
std::pair<int, int> framesInView(std::pair<int, int> view, int count) {
    const auto [left, width] = view;
    if (width <= 0) return {0, std::min(count, kFirstThumbnailFrames)};
    const int end = std::min(count, (left + width) / kFrameColumnWidth + 2);
    const int first = std::clamp(left / kFrameColumnWidth - 1, 0, std::max(end, 0));
    return {first, end};
}

// Attaches the thumbnail made of the layer of the frame at index; without one, reports why and
// empties the layer (the picture cannot be read). False when it emptied the layer.
bool takeThumbnail(View& view, Services& services, FrameRecord& frame, int index, int layer,
                   DecodedThumbnail decoded) {
    if (decoded.thumbnail) {
        // Made at the frame's column: the strip need not show them all in one place.
        AttachThumbnailImage(view.thumbnails, services, frame, layer,
                             std::move(*decoded.thumbnail),
                             index * kFrameColumnWidth + kThumbnailLeft);
        return true;
    }
    // A video that cannot be opened is reported as the video reader does.
    const ErrorReporter reporter = services.reporter();
    const std::string& source = frame.layerSource[layer];
    if (decoded.videoError >= 0)
        reporter.report(ErrorKind::UseAviExport, ErrorPlace::ReadVideo, decoded.videoError);
    reporter.report(LayerLoadError(source), ErrorPlace::OpenProject, 1, source);
    frame.layerSource[layer].clear();
    return false;
}

// Asks the queue for the frames in the strip's view first, each time the view has moved.
void preferInView(const Document& document, View& view, Services& services,
                  ThumbnailQueue& queue) {
    const std::pair<int, int> shown = services.shell.frameStripView();
    if (shown == view.thumbnailsPreferredFor) return;
    view.thumbnailsPreferredFor = shown;
    const auto [first, end] = framesInView(shown, document.frames.size());
    std::vector<std::size_t> jobs;
    for (int i = first; i < end; ++i) {
        for (const std::size_t job : queue.jobsOf(document.frames.at(i).id)) jobs.push_back(job);
    }
    queue.prefer(jobs);
}

// Whether the frames are what the file lists: no picture was relinked or left out, no mask lost.
bool framesAsStored(const FrameList& frames, const std::vector<ProjectFileFrame>& stored) {
    if (frames.size() != static_cast<int>(stored.size())) return false;
    for (int i = 0; i < frames.size(); ++i) {
        const ProjectFileFrame& entry = stored[static_cast<std::size_t>(i)];
        const FrameRecord& frame = frames.at(i);
        if (frame.layerSource[0] != entry.layerSource[0] ||
            frame.layerSource[1] != entry.layerSource[1] ||
            (frame.maskNumber != 0) != entry.hasMask)
            return false;
    }
    return true;
}

}  // namespace

Answer CloseProject(Document& document, EditSession& session, View& view, Services& services) {
    Answer answer = Answer::No;
    if (!document.frames.empty() && ProjectChanged(session)) {
        answer = services.shell.ask(services.language.texts[Text::RequesterSavetitle],
                                    services.language.texts[Text::RequesterSavetext]);
    }
    if (answer == Answer::Yes) SaveProject(document, session, view, services, false);
    if (answer == Answer::Cancel) return answer;

    // Thumbnails still being made belong to this project: the workers stop before it goes.
    view.thumbnailQueue.reset();
    view.thumbnailsPreferredFor = {-1, -1};
    deleteWorkingFiles(document);
    session.unstoredMasks.clear();
    session.storedFormTold = false;
    for (int i = 0; i < document.frames.size(); ++i) {
        for (int layer = 0; layer < 2; ++layer)
            ReleaseLayerThumbnail(view.thumbnails, services, document.frames.at(i).id, layer);
    }
    document.frames.clear();
    services.shell.showFrameNumbers(0, kFrameColumnWidth);  // the strip numbers no frame now
    // Undo steps name frames and mask numbers of the project that is gone.
    ClearEditHistory(session);
    // The work images no longer belong to any frame: mask numbers start again at 1, so a cached
    // mask number must not make the next project's mask 1 show the old picture.
    session.cache.displayedId = 0;
    session.cache.forgetPictures();
    session.cache.maskModified = false;
    view.zoom = 1.0f;
    view.offsetX = 0;
    view.offsetY = 0;
    document.masks.nextNumber = 1;
    document.sound = {};
    MarkProjectSaved(session);  // no project: nothing to lose
    return answer;
}

void NewProject(Document& document, EditSession& session, View& view, Services& services) {
    if (CloseProject(document, session, view, services) == Answer::Cancel) return;
    showTitle(services.language.texts[Text::ElseNewtitle], session, view, services);
    auto black = Image::create(640, 480);
    if (!black) {
        services.reporter().report(ErrorKind::CreateImage, ErrorPlace::NewProject, 100, {}, 640,
                                   480);
        services.mustEnd = true;
        return;
    }
    session.images.composite = std::move(*black);
    CanvasCompositeChanged(view, Rect{0, 640, 0, 480});
    UpdateScrollBars(session, view, services);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
    document.masks.nextNumber = 1;
    document.header = ProjectHeader{};
    RefreshFrameStrip(document, session, view, services, kFirstAndForget);
}

void TakeSoundTrackIfPresent(Document& document, Services& services) {
    if (document.sound.empty() || IsRegularFile(document.sound.file)) return;
    services.reporter().report(ErrorKind::LoadSound, ErrorPlace::OpenProject, 1,
                               document.sound.file + "|" +
                                   services.language.texts[Text::ErrorsSoundmissing]);
    document.sound = {};
}

void OpenProject(Document& document, EditSession& session, View& view, Services& services,
                 const std::string& path) {
    // The requester opens where the last project was chosen, else beside the one now open.
    FolderKeepingDialogs dialogs(services.shell, services.workplace, kProjectRequester,
                                 document.header.projectFilePath);
    if (CloseProject(document, session, view, services) == Answer::Cancel) return;
    const LanguageTable& texts = services.language.texts;
    ProjectHeader& header = document.header;
    if (path.empty()) {
        const FileChoice choice = dialogs.requestOpenFile(
            {texts[Text::RequesterOpentitle], "*.mvl", texts[Text::RequesterOpentext], 0});
        header.projectFilePath = choice.path;
        if (choice.path.empty()) return;
    } else {
        header.projectFilePath = path;
    }

    const ErrorReporter reporter = services.reporter();
    const auto bytes = ReadFileBytes(header.projectFilePath, kMaxProjectFileBytes);
    if (!bytes) {
        reporter.report(ErrorKind::LoadProject, ErrorPlace::OpenProject, 2, header.projectFilePath);
        return;
    }
    ProjectFileContents contents = ParseProjectFile(*bytes);
    if (!contents.identified || contents.countRefused) {
        reporter.report(ErrorKind::LoadProject, ErrorPlace::OpenProject, 1, header.projectFilePath);
        return;
    }
    header.title = contents.title;
    header.author = contents.author;
    header.comment = contents.comment;
    header.maskTemplate = contents.maskTemplate;
    header.frameTemplate = contents.frameTemplate;

    // Pictures that moved are found again before anything is read, in the frames that will be
    // composed and those whose size they carry.
    const std::vector<ProjectFileFrame> stored = contents.frames;
    const SoundTrack storedSound = contents.sound;
    const int from = services.openFirst > 0
                         ? LastFrameWithPictureBefore(contents, services.openFirst,
                                                      FolderPart(header.projectFilePath))
                         : 0;
    const int to = services.openLast;
    const auto used = [from, to](std::size_t i) {
        return static_cast<int>(i) >= from && (to < 0 || static_cast<int>(i) <= to);
    };
    RelinkResult relinked = RelinkMovedPictures(document, services, contents, from, to);
    const std::set<std::string>& toldMissing = relinked.toldMissing;
    if (!relinked.report.empty()) session.notices.push_back(std::move(relinked.report));
    const int digits = DigitCount(contents.announcedFrames);
    // Only the thumbnails of the frames in the strip's view and of the first frame (shown after
    // opening) are made now, decoded ahead on the workers while the frames are built here; a
    // queue makes the others afterwards, so that opening costs the frames on screen, not the
    // film. The strip is sized for the new film first, so that its view is the new one's.
    const int frameCount = static_cast<int>(contents.frames.size());
    services.shell.setFrameStripWidth(frameCount * kFrameColumnWidth + 20);
    const std::pair<int, int> inView = framesInView(services.shell.frameStripView(), frameCount);
    const auto madeNow = [inView](std::size_t i) {
        const int index = static_cast<int>(i);
        return index == 0 || (index >= inView.first && index < inView.second);
    };
    // A picture that is not there at all is told at once, or was in the search for moved ones.
    const auto present = [&](const std::string& source) {
        return !source.empty() && !relinked.missing.count(source);
    };
    std::vector<std::string> sourcesNow;
    if (services.makeThumbnails) {
        for (std::size_t i = 0; i < contents.frames.size(); ++i) {
            if (!madeNow(i)) continue;
            for (const std::string& source : contents.frames[i].layerSource)
                if (present(source)) sourcesNow.push_back(source);
        }
    }
    ThumbnailLoader loader(std::move(sourcesNow));
    std::size_t nextSource = 0;
    // A long opening shows the progress of the thumbnails (the pictures' decoding).
    ImportProgress progress(services.shell, services.language.texts,
                            std::chrono::milliseconds(services.progressDelay));
    const int sourceCount = static_cast<int>(loader.size());
    std::vector<ThumbnailQueue::Job> jobs;
    std::vector<int> hints;
    for (std::size_t i = 0; i < contents.frames.size(); ++i) {
        ProjectFileFrame& entry = contents.frames[i];
        FrameRecord& frame = document.frames.append();
        for (int layer = 0; layer < 2; ++layer) {
            frame.layerSource[layer] = std::move(entry.layerSource[layer]);
            const std::string& source = frame.layerSource[layer];
            if (source.empty() || !services.makeThumbnails) continue;
            if (!present(source)) {
                if (!toldMissing.count(source))
                    reporter.report(LayerLoadError(source), ErrorPlace::OpenProject, 1, source);
                frame.layerSource[layer].clear();
            } else if (madeNow(i)) {
                progress.step({ImportStep::Unit::File, static_cast<int>(nextSource) + 1,
                               sourceCount, FilePart(source), false});
                takeThumbnail(view, services, frame, static_cast<int>(i), layer,
                              loader.take(nextSource++));
            } else {
                jobs.push_back({frame.id, layer, source});
                hints.push_back(static_cast<int>(i));
            }
        }
        if (entry.hasMask) {
            frame.maskNumber = document.masks.nextNumber++;
            if (!used(i)) continue;  // never composed: its working file is never read
            const std::string maskFile =
                ExpandNameTemplate(header.maskTemplate, static_cast<int>(i) + 1, digits,
                                   header.projectFilePath, std::nullopt, "");
            const std::string workingFile = document.masks.workingFile(frame.maskNumber);
            const bool placed = services.linkMasksOnOpen ? LinkReadableFile(maskFile, workingFile)
                                                         : CopyFileBytes(maskFile, workingFile);
            if (!placed) {
                reporter.report(ErrorKind::CopyImage, ErrorPlace::OpenProject, 300,
                                maskFile + "|" + workingFile);
                frame.maskNumber = 0;
            }
        }
    }
    document.sound = contents.sound;
    TakeSoundTrackIfPresent(document, services);
    // A picture or sound found elsewhere or left out, or a mask lost, is a change a save would
    // write.
    if (!framesAsStored(document.frames, stored) || !(document.sound == storedSound))
        MarkProjectChanged(session);
    showTitle(header.title, session, view, services);
    RefreshFrameStrip(document, session, view, services, kFirstAndForget);
    if (!jobs.empty())
        view.thumbnailQueue = std::make_shared<ThumbnailQueue>(std::move(jobs), std::move(hints));
    view.thumbnailsPreferredFor = {-1, -1};
    if (contents.cutShort()) {
        services.shell.showMessage(
            texts[Text::RequesterSessiontitle],
            ReplaceAll(texts[Text::RequesterCutshort], "$NR", std::to_string(contents.framesRead)));
    }
}

bool ThumbnailsBeingMade(const View& view) {
    return view.thumbnailQueue != nullptr;
}

void AttachMadeThumbnails(Document& document, EditSession& session, View& view,
                          Services& services) {
    ThumbnailQueue* queue = view.thumbnailQueue.get();
    if (!queue) return;
    preferInView(document, view, services, *queue);
    FrameList& frames = document.frames;
    std::unordered_map<FrameId, int> positions;  // made when a frame moved since the opening
    bool emptied = false;
    for (ThumbnailQueue::Made& made : queue->takeMade()) {
        int index = made.hint;
        if (index < 0 || index >= frames.size() || frames.at(index).id != made.frame) {
            if (positions.empty()) {
                for (int i = 0; i < frames.size(); ++i) positions.emplace(frames.at(i).id, i);
            }
            const auto found = positions.find(made.frame);
            if (found == positions.end()) continue;  // the frame is gone
            index = found->second;
        }
        FrameRecord& frame = frames.at(index);
        // A layer given another picture since, or whose thumbnail was made on the way (an undo
        // brings frames back with theirs), keeps what it has.
        if (frame.layerSource[made.layer] != made.source ||
            view.thumbnails.gadget(frame.id, made.layer) != 0)
            continue;
        if (!takeThumbnail(view, services, frame, index, made.layer, std::move(made.decoded)))
            emptied = true;
    }
    if (emptied) {
        MarkProjectChanged(session);
        UpdateWindowTitle(session, view, services);
    }
    if (queue->finished()) view.thumbnailQueue.reset();
}

void SaveProject(Document& document, EditSession& session, View& view, Services& services,
                 bool saveAs) {
    if (document.frames.empty()) return;
    ProjectHeader& header = document.header;
    const std::string refusal = services.language.texts[Text::RequesterFramecopiescollide];
    SaveWindowPlan plan = MakeSaveWindowPlan(services.language.texts);
    plan.refuseTemplates = [&document, refusal](const std::string& path, const std::string& masks,
                                                const std::string& pictures) {
        return CopyNamesCollide(document.frames, path, masks, pictures) ? refusal : std::string();
    };
    bool showWindow = saveAs || header.projectFilePath.empty();
    for (;;) {
        if (showWindow) {
            SaveWindowFields fields{
                header.projectFilePath, header.maskTemplate, header.frameTemplate,     header.title,
                header.author,          header.comment,      services.explorerViewMode};
            if (fields.projectFilePath.empty()) {
                // A new project is saved where the last one was, else in the home folder.
                const std::string kept = services.workplace.folderFor(kSaveRequester, "");
                fields.projectFilePath = (kept.empty() ? homeFolder() : kept) +
                                         services.language.texts[Text::ElseStandardprojectname];
            }
            const bool confirmed = services.shell.runSaveWindow(plan, fields);
            services.explorerViewMode =
                fields.viewMode;  // kept for the next window, also on cancel
            if (!confirmed) {
                SelectFrame(document, session, view, services, kReselectDisplayed);
                return;
            }
            services.workplace.rememberFolder(kSaveRequester, fields.projectFilePath);
            header =
                ProjectHeader{fields.projectFilePath, fields.title,        fields.author,
                              fields.comment,         fields.maskTemplate, fields.frameTemplate};
        }
        // Two pictures that would be copied to one name: nothing is written, the user chooses
        // other templates.
        if (!CopyNamesCollide(document.frames, header.projectFilePath, header.maskTemplate,
                              header.frameTemplate))
            break;
        services.shell.showMessage(services.language.texts[Text::RequesterSessiontitle], refusal);
        showWindow = true;
    }
    StoreDisplayedMask(document, session, services);
    // Masks kept in memory because the working files could not be written are saved from there.
    StoreUnstoredMasks(document, session);
    const bool written = WriteProjectFile(document, services.reporter(), &session.unstoredMasks);
    if (written) MarkProjectSaved(session);
    showTitle(header.title, session, view, services);
    if (!written) return;
    SelectFrame(document, session, view, services, kReselectDisplayed);
}

}  // namespace morvel
