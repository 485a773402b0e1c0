#!/bin/bash
# Devices tab, end to end: the program on a virtual display with the simulated phone (natively
# given with --port, under Wine behind a COM port registered as a paired Bluetooth device). The
# phone is listed; Auto Connect opens its port, and the phone is asked the seven identity
# questions in order; the connected row is shown selected; closing the window ends the program.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin devices
e2e_start_orvel

e2e_expect_eq "window title" "Orvel $ORVEL_VERSION" "$(gui_window_title)"
# The port list (client (5, 50), 630 wide): one row of 25 pixels with the port's icon (Bluetooth
# under Wine, the serial plug for a port given natively), drawn in blue on white. Nothing is
# selected before the connection.
listed() { [ "$(gui_colour_count 5 50 17 24 157DCC)" -gt 10 ]; }
e2e_wait_check "the phone's row shows its icon" 10 listed
e2e_check "no row is selected before connecting" \
    eval '[ "$(gui_colour_count 30 50 600 25 157DCC)" -lt 2000 ]'
gui_screenshot "$GUI_WORK/before-connect.png"

e2e_connect
e2e_expect_eq "Auto Connect reports the port on standard output" "$GUI_COM ok" "$(head -n 1 "$GUI_OUT" | tr -d '\r')"
expected="AT+CGMI
AT+CGMM
AT+CGSN
AT+PRODUCTCODE?
AT+SWVER?
AT+CBC
AT+CNUM"
e2e_expect_eq "the identity questions, in order" "$expected" "$(gui_phone_requests)"
# The connected row is drawn selected: a bar of highlight blue across the list.
selected() { [ "$(gui_colour_count 30 50 600 25 157DCC)" -gt 10000 ]; }
e2e_wait_check "the connected row is selected" 10 selected
# The properties list (client (5, 280)) fills with the seven answers: many more text pixels.
answered() { [ "$(gui_colour_count 5 280 630 160 FFFFFF)" -lt $((630 * 160 - 2500)) ]; }
e2e_wait_check "the answers are shown" 10 answered
gui_screenshot "$GUI_WORK/devices.png"

e2e_close
e2e_check "the phone saw no request after the close" \
    eval '[ "$(gui_phone_requests | wc -l)" -eq 7 ]'
e2e_end
