#include "app/hw_view.h"

#include <cstdio>
#include <vector>

#include "app/hw_view_model.h"
#include "core/lang_texts.h"
#include "core/vobject.h"
#include "link/jobs.h"
#include "link/link_failure.h"
#include "link/port_discovery.h"
#include "link/samsung_comm.h"
#include "toolkit/orvel_colors.h"

using namespace vwin;

portItem::portItem(vListView* owner, const str& name, const str& port, const vPixmap* icon)
    : vListViewItem(owner, name, port_row_height, -1, icon), port_(port) {}

portItem::~portItem() = default;

void portItem::draw(vPixmap& pixmap, const RECT& row) {
    const bool selected = isSelected();
    pixmap.fillRect(row, selected ? orvel_color::blue : orvel_color::white);
    if (icon())
        pixmap.draw(row.left, row.top, *icon());
    pixmap.setTextColor(selected ? orvel_color::white : orvel_color::blue);
    pixmap.drawText(row.left + 28, row.top + 5, text().c_str());
    pixmap.setTextColor(selected ? orvel_color::white : port_grey);
    const RECT inner{row.left + 5, row.top + 5, row.right - 5, row.bottom - 5};
    pixmap.drawText(inner, text_right, port_);
    pixmap.fillRect(row.left, row.bottom - 1, row.right - row.left, 1, orvel_color::light_grey);
}

OrvelHWView::OrvelHWView(vWidget* parent, SamsungComm& link)
    : OrvelHWView(parent, link, OrvelPortDiscovery{}) {}

OrvelHWView::OrvelHWView(vWidget* parent, SamsungComm& link, const OrvelPortDiscovery& discovery)
    : vWidget(parent, u""), link_(link),
      devicesLabel_(this, uiText(ui_text::devices_label), text_bottom),
      portList_(this, true, vListView::selection_multi),
      connectButton_(this, uiText(ui_text::auto_connect)),
      propertiesLabel_(this, uiText(ui_text::properties_label), text_bottom),
      propertiesList_(this, true, vListView::selection_none), stateLabel_(this, u"", text_vcenter) {
    setBackgroundColor(orvel_color::light_grey);
    // A label paints no background of its own; with the view clipping its children, the space
    // behind the text would stay unpainted, so the labels take the panel colour.
    devicesLabel_.setBackgroundColor(orvel_color::light_grey);
    propertiesLabel_.setBackgroundColor(orvel_color::light_grey);
    stateLabel_.setBackgroundColor(orvel_color::light_grey);
    stateLabel_.setTextColor(orvel_color::blue);

    portList_.setBackgroundColor(orvel_color::white);
    portList_.setHScrollEnabled(false);
    portList_.setFitWidth(true);
    portList_.setKeysSelect(true);
    portList_.setShowsFocus(true);

    usbIcon_.loadResource(nullptr, usb_icon_id);
    bluetoothIcon_.loadResource(nullptr, bluetooth_icon_id);
    discovery_ = discovery;
    findPorts();

    connect(&portList_, u"doubleClicked", this, &OrvelHWView::connectItem);
    connect(&portList_, u"activated", this, &OrvelHWView::connectItem);
    connect(static_cast<vObject*>(&link_), u"InfoCommand", this, &OrvelHWView::addProperty);
    connect(&connectButton_, u"clicked", this, &OrvelHWView::autoConnect);

    propertiesList_.setBackgroundColor(orvel_color::white);
    propertiesList_.setItemTextColor(orvel_color::blue);
    propertiesList_.setHScrollEnabled(false);
    propertiesList_.setFitWidth(true);
    propertiesList_.setShowsFocus(true);
    new vListViewItem(&propertiesList_, str(uiText(ui_text::not_connected)), property_row_height);
    showState();
    built_ = true;
}

OrvelHWView::~OrvelHWView() {
    // Waits for an answer being added on the link worker, and takes no further signals.
    disconnect_all();
    killTimer(rediscover_timer);
    destroyWindow();
}

void OrvelHWView::findPorts() {
    const OrvelPortDiscovery& discovery = discovery_;
    usbPorts_.clear();
    bluetoothPorts_.clear();
    if (discovery.reg) {
        findUsbPorts(*discovery.reg, usbPorts_);
        findBluetoothPorts(*discovery.reg, bluetoothPorts_);
    } else {
        findUsbPorts(usbPorts_);
        findBluetoothPorts(bluetoothPorts_);
    }
    const auto probe = [&](const str& port) {
        return discovery.probe ? discovery.probe(port) : link_.probePort(port);
    };
    // The probes run before any connection, so they never meet the link worker on a port.
    for (const OrvelPortRecord& record : portRecords(usbPorts_))
        if (probe(record.port))
            new portItem(&portList_, record.name, record.port, &usbIcon_);
    for (const OrvelPortRecord& record : portRecords(bluetoothPorts_))
        new portItem(&portList_, record.name, record.port, &bluetoothIcon_);
    for (const OrvelPortRecord& record : portRecords(discovery.given))
        new portItem(&portList_, record.name, record.port, &usbIcon_);
}

void OrvelHWView::findPortsAgain() {
    // The rows go (and with them any selection); the ports found now take their place.
    portList_.clear();
    findPorts();
}

bool OrvelHWView::openPort(const str& port) {
    opening_ = port;
    const bool opened = link_.openPort(port);
    opening_.clear();
    return opened;
}

str OrvelHWView::openFailure() const {
    return describe(link_.lastFailure(), str());
}

bool OrvelHWView::connectItem(vListViewItem* item) {
    // A double-click below the last row names no row.
    if (!item || !portList_.contains(item))
        return false;
    auto* row = dynamic_cast<portItem*>(item);
    if (!row || (connectCheck_ && !connectCheck_()))
        return false;
    const str port = row->port();
    if (!openPort(port)) {
        state_.openFailed(port, openFailure());
        showState();
        return false;
    }
    // Opening does not change the rows (a new discovery waits for the GUI thread's messages).
    portList_.selectItem(row);
    return true;
}

bool OrvelHWView::autoConnect() {
    // A phone plugged in after the ports were found has a port of its own.
    if (portList_.count() == 0 && !link_.isOpen())
        findPortsAgain();
    if (portList_.count() > 0 && connectCheck_ && !connectCheck_())
        return false;
    std::vector<str> tried;
    str lastReason;
    for (int i = portList_.count() - 1; i >= 0; --i) {
        str port;
        {
            std::lock_guard<::mutex> guard(portList_.listLock());
            auto* row = dynamic_cast<portItem*>(portList_.at(i));
            if (!row)
                continue;
            port = row->port();
        }
        std::printf("%s", port.narrow());
        if (openPort(port)) {
            std::printf(" ok\n");
            std::fflush(stdout);
            portList_.selectIndex(i);
            return true;
        }
        std::printf(" no\n");
        std::fflush(stdout);
        tried.push_back(port);
        lastReason = openFailure();
    }
    state_.noPortOpened(tried, lastReason);
    showState();
    return false;
}

void OrvelHWView::connected() {
    // Only this view opens ports in the program; another opener's port has no name here.
    // The questions are queued below, after this: busy tells of jobs of an earlier connection.
    state_.opened(opening_.empty() ? str(u"?") : opening_, link_.busy());
    showState();
    askIdentity();
}

void OrvelHWView::askIdentity() {
    propertiesList_.clear();
    for (const OrvelIdentityQuestion& question : identity_questions)
        link_.addJob(new InfoCommand(str(question.command), str(question.command)));
}

void OrvelHWView::addProperty(const char16_t* command, const char16_t* answer) {
    const OrvelIdentityQuestion* question = identityQuestionOf(command);
    // A question that ran after the port was closed brings no answer: the list goes on saying
    // that no phone is connected.
    if (!question || ((!answer || !*answer) && !link_.isOpen()))
        return;
    if (question->label == ui_text::model) {
        std::lock_guard hold(modelLock_);
        modelAnswer_ = str(answer ? answer : u"");
    }
    auto* row = new vListViewItem(static_cast<vListView*>(nullptr), identityRow(*question, answer),
                                  property_row_height);
    // The phone's own answer stays readable at the right where it was shown differently.
    const str raw(answer ? answer : u"");
    if (identityValue(identity_value::plain, answer) != identityValue(question->value, answer))
        row->setRightText(identityValue(identity_value::plain, raw.c_str()));
    propertiesList_.insertItem(row, -1);
}

void OrvelHWView::disconnected() {
    propertiesList_.clear();
    new vListViewItem(&propertiesList_, str(uiText(ui_text::not_connected)), property_row_height);
    if (!sameThread())
        return; // the window's state belongs to the GUI thread
    state_.disconnected();
    showState();
    // Not now: a disconnect may come from an openPort of this view, whose rows must stay; and
    // a port opened right after it keeps the ports as they are (see timer).
    setTimer(rediscover_timer, 0);
}

void OrvelHWView::jobFinished(const job_report& report) {
    str model;
    const OrvelIdentityQuestion* question =
        report.kind == job_kind::identity ? identityQuestionOf(report.phonePath.c_str()) : nullptr;
    if (question && question->label == ui_text::model) {
        std::lock_guard hold(modelLock_);
        model = modelAnswer_;
    }
    state_.jobFinished(report, model);
    showState();
}

void OrvelHWView::showState() {
    const str line = state_.text();
    if (stateLabel_.text() == line)
        return;
    stateLabel_.setText(line.c_str());
    stateLabel_.invalidate(); // the label draws its text itself
}

void OrvelHWView::timer(int id) {
    if (id != rediscover_timer)
        return;
    killTimer(rediscover_timer);
    if (!link_.isOpen())
        findPortsAgain();
}

void OrvelPortList::startEdit(vListViewItem* item, bool) {
    // Return on a port row connects, as a double-click does.
    emit(this, u"activated", item);
}

void OrvelHWView::keyEvent(vKeyEvent* event) {
    if (event->type != event_key_down || event->key != VK_F1)
        return;
    event->accept();
    propertiesList_.clear();
    propertiesList_.setVisible(false);
    propertiesList_.setVisible(true);
}

void OrvelHWView::resized(int w, int h) {
    if (!built_)
        return;
    const OrvelHWLayout l = hwViewLayout(w, h);
    devicesLabel_.setGeometry(l.devicesLabel.x, l.devicesLabel.y, l.devicesLabel.w,
                              l.devicesLabel.h);
    portList_.setGeometry(l.portList.x, l.portList.y, l.portList.w, l.portList.h);
    connectButton_.setGeometry(l.connectButton.x, l.connectButton.y, l.connectButton.w,
                               l.connectButton.h);
    propertiesLabel_.setGeometry(l.propertiesLabel.x, l.propertiesLabel.y, l.propertiesLabel.w,
                                 l.propertiesLabel.h);
    propertiesList_.setGeometry(l.propertiesList.x, l.propertiesList.y, l.propertiesList.w,
                                l.propertiesList.h);
    stateLabel_.setGeometry(l.stateLine.x, l.stateLine.y, l.stateLine.w, l.stateLine.h);
}
