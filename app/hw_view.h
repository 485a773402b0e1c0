#pragma once
// OrvelHWView: the "Devices" tab. When built it discovers the serial ports that may lead to the
// phone, probes the USB ones and lists those that answer (Bluetooth ports are listed unprobed).
// The user connects by double-clicking a port or with "Auto Connect". Once the link reports
// "connected" the view queues the seven identity questions and lists each answer under
// "Properties:"; before that the list says that no phone is connected. A line beside the button
// says what became of the link: connected (with the phone's model), not connected, a port that
// did not open and why, no phone answering, a phone lost. On "disconnected" the ports are found
// again, so that a phone plugged in again can be connected.

#include <functional>
#include <mutex>

#include "app/hw_view_model.h"
#include "core/registry.h"
#include "core/str.h"
#include "link/job_report.h"
#include "toolkit/controls.h"
#include "toolkit/listview.h"
#include "toolkit/orvel_button.h"
#include "toolkit/pixmap.h"
#include "toolkit/widget.h"

class SamsungComm;

// A port row: the device name on the left (the row text), the port name on the right, an icon.
class portItem : public vwin::vListViewItem {
public:
    // The port name's grey, which reads on white (the panel grey would not).
    static constexpr vwin::vColor port_grey = 0x606060;

    portItem(vwin::vListView* owner, const str& name, const str& port, const vwin::vPixmap* icon);
    ~portItem() override;

    void draw(vwin::vPixmap& pixmap, const RECT& row) override;

    const str& port() const { return port_; }

private:
    str port_;
};

// Where the view finds its ports: a registry to walk (null: the system's own discovery), a
// probe of a USB port (empty: the link's probePort) and ports the user named (records
// "name:port;", listed after the discovered ones, unprobed, so Auto Connect tries them first).
struct OrvelPortDiscovery {
    registry* reg = nullptr;
    std::function<bool(const str& port)> probe;
    str given = str();
};

// The port list: Return on a row emits "activated"(row), which connects like a double-click.
class OrvelPortList : public vwin::vListView {
public:
    using vwin::vListView::vListView;
    void startEdit(vwin::vListViewItem* item, bool force) override;
};

class OrvelHWView : public vwin::vWidget {
public:
    static constexpr int usb_icon_id = 124;
    static constexpr int bluetooth_icon_id = 112;

    OrvelHWView(vwin::vWidget* parent, SamsungComm& link);
    OrvelHWView(vwin::vWidget* parent, SamsungComm& link, const OrvelPortDiscovery& discovery);
    // Leaves the link first: no answer reaches a view being destroyed.
    ~OrvelHWView() override;

    // A port row was double-clicked: opens its port and selects the row. False for no row (a
    // double-click below the last row) or when the port does not open.
    bool connectItem(vwin::vListViewItem* item);
    // Tries the ports from the last row to the first, writing "<port> ok" or "<port> no" to
    // standard output for each, and stops at the first that opens (its row is selected). With no
    // row the ports are found again first.
    bool autoConnect();
    // Asked before a port is opened by a double-click, Return or Auto Connect; false keeps the
    // link as it is (nothing is opened or written).
    void setConnectCheck(std::function<bool()> check) { connectCheck_ = std::move(check); }

    // Empties the properties and queues the seven identity questions.
    void askIdentity();
    // An answer arrived (on the link worker): one row, the question's label and the answer as a
    // person reads it (the phone's answer at the right when it reads differently). The jobs
    // carry their AT command as their label.
    void addProperty(const char16_t* command, const char16_t* answer);
    // The link's "connected": the identity questions. "disconnected": the properties empty and,
    // once back on the GUI thread's messages with the port still closed, the ports are found
    // again.
    void connected();
    void disconnected();
    // A job of the link ended (GUI thread, from the window's report queue): the line about the
    // link follows its outcome.
    void jobFinished(const job_report& report);
    // Finds and probes the ports again and lists them.
    void findPortsAgain();

    void keyEvent(vwin::vKeyEvent* event) override;
    void resized(int w, int h) override;
    void timer(int id) override;

    vwin::vLabel& devicesLabel() { return devicesLabel_; }
    vwin::vListView& portList() { return portList_; }
    OrvelButton& connectButton() { return connectButton_; }
    vwin::vLabel& propertiesLabel() { return propertiesLabel_; }
    vwin::vListView& propertiesList() { return propertiesList_; }
    vwin::vLabel& stateLabel() { return stateLabel_; }
    const OrvelLinkState& linkState() const { return state_; }
    const str& usbPorts() const { return usbPorts_; }
    const str& bluetoothPorts() const { return bluetoothPorts_; }

private:
    static constexpr int rediscover_timer = 1;

    void findPorts();
    // Opens a port of ours; the "connected" it emits is known to be for that port.
    bool openPort(const str& port);
    // The link's reason why the last open failed, in English.
    str openFailure() const;
    void showState();

    bool built_ = false; // the children exist (layout waits for them)
    std::function<bool()> connectCheck_;
    SamsungComm& link_;
    OrvelPortDiscovery discovery_;
    OrvelLinkState state_; // GUI thread
    str opening_;          // the port being opened by this view (GUI thread)
    std::mutex modelLock_;
    str modelAnswer_; // the last answer to the model question (guarded by modelLock_)
    vwin::vLabel devicesLabel_;
    OrvelPortList portList_;
    OrvelButton connectButton_;
    vwin::vLabel propertiesLabel_;
    vwin::vListView propertiesList_;
    vwin::vLabel stateLabel_;
    str usbPorts_;
    str bluetoothPorts_;
    vwin::vPixmap usbIcon_;
    vwin::vPixmap bluetoothIcon_;
};
