#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>

#include "platform/dialogs.h"
#include "platform/save_window_plan.h"

class QAbstractItemView;
class QComboBox;
class QFileIconProvider;
class QFileSystemModel;
class QLineEdit;
class QListView;
class QTreeView;

namespace morvel {

// The save window built from its plan: a folder list (four display modes), the folder path box,
// the project name, the two template boxes, title, author and comment. Each gadget's event goes
// through gadgetEvent, by the gadget's number, as the user raises it.
class SaveWindowDialog : public QDialog {
public:
    SaveWindowDialog(const SaveWindowPlan& plan, const SaveWindowFields& fields, QWidget* owner);
    ~SaveWindowDialog() override;

    QWidget* gadget(int number) const;
    // The folder the list shows, ending with "/"; empty for the top level above "/".
    const std::string& folder() const { return m_folder; }
    int viewMode() const { return m_viewMode; }
    // The view that shows the folder in the current mode, and the model behind both views.
    QAbstractItemView* folderView() const;
    QFileSystemModel* folderModel() const { return m_model; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // What a gadget does when the user uses it: save, cancel, folder up, change view, go to the
    // folder of the path box, take the selected file's name.
    void gadgetEvent(int number);
    // A click on a column header of the details view: sort by it, the second click reverses.
    void sortByColumn(int column);
    // The fields as the window holds them (the project file, templates, texts settled).
    void settle(SaveWindowFields& fields) const;

private:
    void build(const SaveGadgetPlan& plan);
    void buildFolderList(const SaveGadgetPlan& plan);
    void goToFolder(const std::string& folder);
    void showViewMode();
    void showFolderInPathBox();
    // Asks the plan whether the templates fit the project's frames; tells the user when not.
    bool templatesFit();
    void folderListChanged();
    void enterFolder(const QModelIndex& index);
    QString text(SaveGadget number) const;

    std::map<int, QWidget*> m_gadgets;
    SaveWindowPlan m_plan;
    std::unique_ptr<QFileIconProvider> m_icons;  // outlives the model, which is a child
    QFileSystemModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QTreeView* m_details = nullptr;
    QComboBox* m_pathBox = nullptr;
    std::string m_folder;
    int m_viewMode = 0;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// Runs the save window modally over owner: true when confirmed, with the fields settled. The
// view mode comes back as the user left it in every case.
bool RunSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields, QWidget* owner);

}  // namespace morvel
