// IMConfigController: the form on which the user adds an external IM account - a row of network icons,
// the account name and the password - handing the filled account to its delegate. It sends nothing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "messaging/model/im_group.h"
#include "platform/ui/table_view.h"
#include "platform/ui/text_field.h"
#include "platform/ui/view_controller.h"
#include "toolkit/z_simple_alert_view.h"

namespace ui {
class SegmentedControl;
class TableViewCell;
} // namespace ui

namespace zelvan {

class IMConfigController;
class zelvanAppDelegate;

class IMConfigControllerDelegate {
public:
    virtual ~IMConfigControllerDelegate() = default;
    // `im` holds the chosen network (`prot`), the account name (`user`) and the password (`pass`).
    virtual void imAccountConfigured(const std::shared_ptr<imGroup>& im, IMConfigController& controller) = 0;
};

class IMConfigController : public ui::ViewController,
                           public ui::TableViewDataSource,
                           public ui::TableViewDelegate,
                           public ui::TextFieldDelegate,
                           public ZSimpleAlertViewDelegate {
public:
    // Network i shows the bundle image named by the decimal text of i + kFirstNetworkImage.
    static constexpr int kFirstNetworkImage = 4;
    static constexpr int kRowTitle = 0;
    static constexpr int kRowName = 1;
    static constexpr int kRowPassword = 2;
    static constexpr double kControlHeight = 40;
    static constexpr double kControlCenterY = 30;
    static constexpr double kTableHeight = 200;
    static constexpr double kLabelWidth = 85;
    static constexpr double kFieldHeight = 30;

    // The networks are the names `app` received at log-in (read when the view loads); with no
    // application delegate there are none.
    explicit IMConfigController(std::weak_ptr<zelvanAppDelegate> app);

    std::string className() const override { return "IMConfigController"; }

    void loadView() override;
    // The name field takes the keyboard.
    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // The account being created or edited; null until submit when adding one. Its name and password
    // fill the fields when the view loads.
    const std::shared_ptr<imGroup>& im() const { return im_; }
    void setIm(std::shared_ptr<imGroup> im) { im_ = std::move(im); }
    std::shared_ptr<IMConfigControllerDelegate> imConfigDelegate() const { return imConfigDelegate_.lock(); }
    void setImConfigDelegate(std::weak_ptr<IMConfigControllerDelegate> delegate) {
        imConfigDelegate_ = std::move(delegate);
    }

    // The network names by segment index.
    const std::vector<std::string>& imNames() const { return imNames_; }
    const std::shared_ptr<ui::SegmentedControl>& segmentedControl() const { return segmentedControl_; }
    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ui::TextField>& nameField() const { return nameField_; }
    const std::shared_ptr<ui::TextField>& pwField() const { return pwField_; }
    // Whether the incomplete-input alert is showing.
    bool hasAlert() const { return hasAlert_; }

    // Both the name and the password hold at least one character (blanks count).
    bool validInput() const;
    // Shows the system Done button while the input is valid, and takes it away otherwise.
    void reloadRightBarButton();
    // With valid input, fills the account (a new one when there is none) and hands it to the
    // delegate; otherwise shows the incomplete-input alert.
    void submit();
    // The incomplete-input alert, unless one is showing; the Done button is disabled meanwhile.
    void showAlert();
    // Row 0 follows the selected network.
    void switchIM();

    // --- Table ---
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;
    // A tap on the name or password row gives that field the keyboard.
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) override;

    // --- Text fields ---
    void textFieldDidBeginEditing(ui::TextField& field) override;
    std::optional<bool> textFieldShouldChangeCharactersInRange(ui::TextField& field, fnd::Range range,
                                                               const std::string& replacement) override;
    // Next in the name field moves to the password; Go in the password field submits.
    std::optional<bool> textFieldShouldReturn(ui::TextField& field) override;

    // --- Alert ---
    void buttonClickedFromAlert(ZSimpleAlertView& alert, const std::string& buttonTitle, int buttonIndex) override;

private:
    // A reused cell of `identifier`, or a new one; rows never highlight.
    std::shared_ptr<ui::TableViewCell> cellForIdentifier(ui::TableView& tableView, const std::string& identifier);
    // Row 0's image and text for the selected network.
    void fillTitleCell(ui::TableViewCell& cell) const;
    // A name or password row: the label `text` and `field` beside it.
    void fillFieldCell(ui::TableView& tableView, ui::TableViewCell& cell, const std::string& text,
                       const std::shared_ptr<ui::TextField>& field) const;
    std::shared_ptr<ui::TextField> newField(const std::string& placeholder, ui::ReturnKeyType returnKey);

    std::weak_ptr<zelvanAppDelegate> app_;
    std::shared_ptr<ui::SegmentedControl> segmentedControl_;
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ui::TextField> nameField_;
    std::shared_ptr<ui::TextField> pwField_;
    bool hasAlert_ = false;
    std::shared_ptr<imGroup> im_;
    std::vector<std::string> imNames_;
    std::weak_ptr<IMConfigControllerDelegate> imConfigDelegate_;
};

} // namespace zelvan
