#!/bin/bash
# Devices tab, the line about the link through a session: "Not connected" at start; connected
# with the phone's model; the phone unplugged (its simulator ends) while connected: the next
# listing finds it gone, the port is closed, the properties empty and the ports are found again,
# so the phone, back on another port, connects without a restart; a port where no phone answers.
# Pictures of each state: not-connected.png, connected.png, lost.png, reconnected.png,
# no-phone.png.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin devices_states
# The line beside Auto Connect (client coordinates: the view at (0, 20) and 480 high).
line_blue() { gui_colour_count 215 214 420 36 157DCC; }
# The properties list holds one row ("Not connected") or the seven answers.
props_text() { echo $((630 * 160 - $(gui_colour_count 5 280 630 160 FFFFFF))); }
# A new phone (after the old one went) on a port of its own, the only one registered (natively
# the port given at start-up, whose link now leads to the new phone).
replug() {
    gui_phone_start "$@" || e2e_abort "the phone did not start again"
    gui_forget_ports
    gui_offer_port --bluetooth "$E2E_PHONE_NAME" "$GUI_PHONE_LINK" || e2e_abort "port not offered"
}
# A listing of the Browser's first folder, which meets the phone (or its absence).
list_something() {
    gui_key ctrl+2
    gui_wait_settled 5
    gui_key Down Return
    gui_key ctrl+1
}

e2e_start_orvel
gui_wait_settled 5
not_connected=$(line_blue)
e2e_check "the line says something before connecting" eval '[ "$not_connected" -gt 30 ]'
gui_screenshot "$GUI_WORK/not-connected.png"

e2e_connect
longer() { [ "$(line_blue)" -gt $((not_connected + 100)) ]; }
e2e_wait_check "the line names the port and the model once connected" 10 longer
gui_wait_settled 5
connected=$(line_blue)
gui_screenshot "$GUI_WORK/connected.png"

# Unplugged: the phone goes; it comes back on another port.
kill "$GUI_SIM_PID" 2>/dev/null
replug
list_something
emptied() { [ "$(props_text)" -lt 1500 ]; }
e2e_wait_check "the lost phone empties the properties" 20 emptied
reason_shown() { [ "$(line_blue)" -gt $((connected + 100)) ]; }
e2e_wait_check "the line says the connection was lost, and why" 10 reason_shown
gui_wait_settled 5
gui_screenshot "$GUI_WORK/lost.png"

e2e_connect
e2e_check "the phone connects again without a restart" eval '[ "$(grep -c " ok" "$GUI_OUT")" -eq 2 ]'
e2e_wait_check "connected again" 10 longer
gui_wait_settled 5
gui_screenshot "$GUI_WORK/reconnected.png"

# A port behind which nothing answers.
kill "$GUI_SIM_PID" 2>/dev/null
replug --fault silent=1
list_something
e2e_wait_check "the second loss empties the properties too" 20 emptied
gui_click "$E2E_AUTO_CONNECT_X" "$E2E_AUTO_CONNECT_Y"
e2e_wait_check "Auto Connect opens the silent phone's port" 20 grep -qF "$GUI_COM ok" "$GUI_OUT"
e2e_wait_check "no answer closes the port again" 20 emptied
gui_wait_settled 5
gui_screenshot "$GUI_WORK/no-phone.png"

e2e_close
e2e_end
