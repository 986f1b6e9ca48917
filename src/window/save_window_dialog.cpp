#include "window/save_window_dialog.h"

#include <QComboBox>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>

#include "platform/files.h"
#include "project/name_template.h"
#include "session/save_window.h"
#include "window/save_window_icons.h"

namespace morvel {

namespace {

// The height of a closed drop-down list; the plan's height is that of its open list.
constexpr int kDropDownHeight = 22;
constexpr int kItemHeight = 18;

QString fromPath(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The model's name for a folder: without its trailing "/", except the root itself.
QString modelPath(const std::string& folder) {
    QString path = fromPath(folder);
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

// The file system's icons where the desktop has an icon theme, else the style's own folder,
// file and drive pictures, so that no entry of the list goes without an icon.
class FolderListIcons : public QFileIconProvider {
public:
    explicit FolderListIcons(QStyle* style) : m_style(style) {}

    QIcon icon(IconType type) const override {
        const QIcon themed = QFileIconProvider::icon(type);
        if (usable(themed)) return themed;
        switch (type) {
            case Computer:
                return m_style->standardIcon(QStyle::SP_ComputerIcon);
            case Drive:
                return m_style->standardIcon(QStyle::SP_DriveHDIcon);
            case Folder:
                return m_style->standardIcon(QStyle::SP_DirIcon);
            default:
                return m_style->standardIcon(QStyle::SP_FileIcon);
        }
    }
    QIcon icon(const QFileInfo& info) const override {
        const QIcon themed = QFileIconProvider::icon(info);
        if (usable(themed)) return themed;
        if (info.isRoot()) return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }

private:
    static bool usable(const QIcon& icon) { return !icon.isNull() && !icon.pixmap(16).isNull(); }
    QStyle* m_style;
};

// A caption shrinks its font until it fits its gadget (long words of other languages).
void fitCaption(QLabel* label) {
    QFont font = label->font();
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    while (size > 8 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
        font.setPixelSize(--size);
    }
    label->setFont(font);
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// Every folder from "/" down to folder, each ending with "/".
QStringList foldersDownTo(const std::string& folder) {
    QStringList folders;
    for (std::size_t slash = folder.find('/'); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        folders << fromPath(folder.substr(0, slash + 1));
    return folders;
}

}  // namespace

SaveWindowDialog::SaveWindowDialog(const SaveWindowPlan& plan, const SaveWindowFields& fields,
                                   QWidget* owner)
    : QDialog(owner), m_plan(plan) {
    setWindowTitle(QString::fromStdString(plan.title));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(plan.clientWidth, plan.clientHeight);
    m_viewMode = fields.viewMode;
    for (const SaveGadgetPlan& gadgetPlan : plan.gadgets) build(gadgetPlan);

    if (auto* name = qobject_cast<QLineEdit*>(gadget(+SaveGadget::ProjectName)))
        name->setText(fromPath(FilePart(fields.projectFilePath)));
    if (auto* title = qobject_cast<QLineEdit*>(gadget(+SaveGadget::Title)))
        title->setText(QString::fromStdString(fields.title));
    if (auto* author = qobject_cast<QLineEdit*>(gadget(+SaveGadget::Author)))
        author->setText(QString::fromStdString(fields.author));
    if (auto* comment = qobject_cast<QPlainTextEdit*>(gadget(+SaveGadget::Comment)))
        comment->setPlainText(QString::fromStdString(WithLf(fields.comment)));

    if (m_model) {
        goToFolder(FolderPart(fields.projectFilePath));
        showViewMode();
    }
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

SaveWindowDialog::~SaveWindowDialog() {
    delete m_model;  // before the icon provider it uses
}

QWidget* SaveWindowDialog::gadget(int number) const {
    const auto found = m_gadgets.find(number);
    return found == m_gadgets.end() ? nullptr : found->second;
}

QAbstractItemView* SaveWindowDialog::folderView() const {
    if (m_viewMode == +ExplorerView::Details) return m_details;
    return m_list;
}

QString SaveWindowDialog::text(SaveGadget number) const {
    QWidget* widget = gadget(+number);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
    if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentText();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return edit->toPlainText();
    return {};
}

void SaveWindowDialog::build(const SaveGadgetPlan& plan) {
    const int number = plan.number;
    QWidget* widget = nullptr;
    switch (plan.kind) {
        case SaveGadgetKind::FolderList:
            buildFolderList(plan);
            return;
        case SaveGadgetKind::TextField:
            widget = new QLineEdit(this);
            break;
        case SaveGadgetKind::MultiLineText: {
            auto* edit = new QPlainTextEdit(this);
            edit->setTabChangesFocus(true);
            widget = edit;
            break;
        }
        case SaveGadgetKind::Label: {
            auto* label = new QLabel(QString::fromStdString(plan.text), this);
            label->setGeometry(plan.x, plan.y, plan.width, plan.height);
            fitCaption(label);
            widget = label;
            break;
        }
        case SaveGadgetKind::EditableList:
        case SaveGadgetKind::FolderPathBox: {
            auto* box = new QComboBox(this);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->setMaxVisibleItems(std::max(1, plan.height / kItemHeight));
            for (const std::string& item : plan.items) box->addItem(QString::fromStdString(item));
            if (box->count() > 0) box->setCurrentIndex(0);
            box->setGeometry(plan.x, plan.y, plan.width, kDropDownHeight);
            if (plan.kind == SaveGadgetKind::FolderPathBox) {
                m_pathBox = box;
                connect(box, &QComboBox::activated, this, [this, number] { gadgetEvent(number); });
                connect(box->lineEdit(), &QLineEdit::returnPressed, this,
                        [this, number] { gadgetEvent(number); });
            }
            widget = box;
            break;
        }
        case SaveGadgetKind::PushButton: {
            auto* button = new QPushButton(QString::fromStdString(plan.text), this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, number] { gadgetEvent(number); });
            widget = button;
            break;
        }
        case SaveGadgetKind::ImageButton: {
            auto* button = new QToolButton(this);
            button->setIcon(QIcon(QPixmap::fromImage(SaveWindowIcon(plan.image))));
            button->setIconSize(QSize(16, 16));
            connect(button, &QToolButton::clicked, this, [this, number] { gadgetEvent(number); });
            widget = button;
            break;
        }
    }
    if (!widget) return;
    if (plan.kind != SaveGadgetKind::EditableList && plan.kind != SaveGadgetKind::FolderPathBox)
        widget->setGeometry(plan.x, plan.y, plan.width, plan.height);
    if (!plan.tooltip.empty()) widget->setToolTip(QString::fromStdString(plan.tooltip));
    widget->setProperty("gadget", number);
    m_gadgets[number] = widget;
}

void SaveWindowDialog::buildFolderList(const SaveGadgetPlan& plan) {
    auto* stack = new QStackedWidget(this);
    stack->setGeometry(plan.x, plan.y, plan.width, plan.height);
    stack->setProperty("gadget", plan.number);
    m_gadgets[plan.number] = stack;

    // Folders and files, without "." and "..", sorted by name at first.
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_icons = std::make_unique<FolderListIcons>(style());
    m_model->setIconProvider(m_icons.get());
    m_model->sort(m_sortColumn, m_sortOrder);

    m_list = new QListView(stack);
    m_list->setModel(m_model);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_details = new QTreeView(stack);
    m_details->setModel(m_model);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setExpandsOnDoubleClick(false);
    m_details->setUniformRowHeights(true);
    m_details->setSelectionMode(QAbstractItemView::SingleSelection);
    m_details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_details->setColumnWidth(0, 160);
    m_details->setColumnWidth(1, 75);
    m_details->setColumnWidth(2, 85);
    QHeaderView* header = m_details->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_sortColumn, m_sortOrder);
    // The header turns its indicator by its own rule; the order is ours (sortByColumn).
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder) { sortByColumn(column); });

    stack->addWidget(m_list);
    stack->addWidget(m_details);
    const int number = plan.number;
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_details)}) {
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, number] { gadgetEvent(number); });
        connect(view, &QAbstractItemView::activated, this,
                [this](const QModelIndex& index) { enterFolder(index); });
    }
}

void SaveWindowDialog::gadgetEvent(int number) {
    switch (static_cast<SaveGadget>(number)) {
        case SaveGadget::Save:
            // A name that cannot be a file name: nothing happens, the user corrects it.
            if (IsValidFileName(toPath(text(SaveGadget::ProjectName))) && templatesFit()) accept();
            break;
        case SaveGadget::Cancel:
            reject();
            break;
        case SaveGadget::FolderUp:
            goToFolder(ParentFolder(m_folder));
            break;
        case SaveGadget::ChangeView:
            m_viewMode = NextExplorerView(m_viewMode);
            showViewMode();
            break;
        case SaveGadget::FolderPath: {
            const std::string typed = toPath(text(SaveGadget::FolderPath));
            if (typed.empty()) {
                goToFolder({});
            } else if (IsFolder(typed)) {
                goToFolder(withSlash(typed));
            } else {
                showFolderInPathBox();  // no such folder: the box shows the list's again
            }
            break;
        }
        case SaveGadget::FolderList:
            folderListChanged();
            break;
        default:
            break;
    }
}

void SaveWindowDialog::goToFolder(const std::string& folder) {
    if (!m_model) return;
    m_folder = folder;
    QModelIndex root;
    if (folder.empty()) {
        m_model->setRootPath(QString());
    } else {
        m_model->setRootPath(modelPath(folder));
        root = m_model->index(modelPath(folder));
    }
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_details)}) {
        const QSignalBlocker quiet(view->selectionModel());
        view->clearSelection();
        view->setRootIndex(root);
    }
    showFolderInPathBox();
}

void SaveWindowDialog::showViewMode() {
    auto* stack = static_cast<QStackedWidget*>(gadget(+SaveGadget::FolderList));
    switch (static_cast<ExplorerView>(m_viewMode)) {
        case ExplorerView::LargeIcons:
            m_list->setViewMode(QListView::IconMode);
            m_list->setIconSize(QSize(32, 32));
            m_list->setGridSize(QSize(84, 64));
            m_list->setWordWrap(true);
            break;
        case ExplorerView::SmallIcons:
            m_list->setViewMode(QListView::ListMode);
            m_list->setFlow(QListView::LeftToRight);
            m_list->setWrapping(true);
            m_list->setIconSize(QSize(16, 16));
            m_list->setGridSize(QSize(150, 20));
            m_list->setWordWrap(false);
            break;
        case ExplorerView::List:
            m_list->setViewMode(QListView::ListMode);
            m_list->setFlow(QListView::TopToBottom);
            m_list->setWrapping(true);
            m_list->setIconSize(QSize(16, 16));
            m_list->setGridSize(QSize());
            m_list->setWordWrap(false);
            break;
        case ExplorerView::Details:
            break;
    }
    m_list->setMovement(QListView::Static);  // the icon mode would let items be dragged about
    stack->setCurrentWidget(folderView());
}

void SaveWindowDialog::showFolderInPathBox() {
    if (!m_pathBox) return;
    const QSignalBlocker quiet(m_pathBox);
    m_pathBox->clear();
    m_pathBox->addItems(foldersDownTo(m_folder));
    m_pathBox->setCurrentIndex(m_pathBox->count() - 1);
    m_pathBox->setEditText(fromPath(m_folder));
}

void SaveWindowDialog::folderListChanged() {
    QModelIndexList selected;
    for (const QModelIndex& index : folderView()->selectionModel()->selectedIndexes())
        if (index.column() == 0) selected << index;
    if (selected.size() == 1 && !m_model->isDir(selected.front())) {
        const std::string name = toPath(m_model->fileName(selected.front()));
        if (auto* box = qobject_cast<QLineEdit*>(gadget(+SaveGadget::ProjectName)))
            box->setText(fromPath(ReplaceExtension(name, ".mvl")));
    }
    showFolderInPathBox();
}

void SaveWindowDialog::enterFolder(const QModelIndex& index) {
    if (!index.isValid() || !m_model->isDir(index)) return;
    goToFolder(withSlash(toPath(m_model->filePath(index))));
}

void SaveWindowDialog::sortByColumn(int column) {
    if (!m_model) return;
    if (column == m_sortColumn) {
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    } else {
        m_sortColumn = column;
        m_sortOrder = Qt::AscendingOrder;
    }
    m_model->sort(m_sortColumn, m_sortOrder);
    const QSignalBlocker quiet(m_details->header());
    m_details->header()->setSortIndicator(m_sortColumn, m_sortOrder);
}

bool SaveWindowDialog::templatesFit() {
    if (!m_plan.refuseTemplates) return true;
    SaveWindowFields fields;
    settle(fields);
    const std::string refusal =
        m_plan.refuseTemplates(fields.projectFilePath, fields.maskTemplate, fields.frameTemplate);
    if (refusal.empty()) return true;
    QMessageBox::warning(this, QString::fromStdString(m_plan.title),
                         QString::fromStdString(refusal));
    return false;
}

void SaveWindowDialog::settle(SaveWindowFields& fields) const {
    SaveWindowEntries entries;
    entries.folder = m_folder;
    entries.name = toPath(text(SaveGadget::ProjectName));
    entries.maskTemplate = text(SaveGadget::MaskTemplates).toStdString();
    entries.frameTemplate = text(SaveGadget::FrameTemplates).toStdString();
    entries.title = text(SaveGadget::Title).toStdString();
    entries.author = text(SaveGadget::Author).toStdString();
    entries.comment = text(SaveGadget::Comment).toStdString();
    const auto* frames = static_cast<QComboBox*>(m_gadgets.at(+SaveGadget::FrameTemplates));
    SettleSaveWindow(entries, fields, frames->itemText(0).toStdString());
    fields.viewMode = m_viewMode;
}

bool RunSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields, QWidget* owner) {
    SaveWindowDialog window(plan, fields, owner);
    const bool confirmed = window.exec() == QDialog::Accepted;
    if (confirmed) window.settle(fields);
    fields.viewMode = window.viewMode();
    if (owner) owner->activateWindow();
    return confirmed;
}

}  // namespace morvel
