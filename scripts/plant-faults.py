#!/usr/bin/env python3
"""Plants known faults in Talvory, one at a time, and records which ones the
test suite catches.

Each fault is a small textual change to one source file (an exact `find` text
replaced by its `replace` text): a plausible mistake with a consequence a user
or a caller would suffer. For each selected fault the runner writes the
changed file, builds, runs the suite as scripts/test.sh does (a private Xvfb,
the tests' Wine prefix, CTest) but stopping at the first failing test, and
puts the original file back, whatever happens (also on Ctrl+C). At the end it
rebuilds, so that the build matches the sources again.

    scripts/plant-faults.py                  # every fault (about an hour)
    scripts/plant-faults.py --list           # the table, with stale anchors marked
    scripts/plant-faults.py --only store-update-any-category,res-exit-id
    scripts/plant-faults.py --folder preview --results /tmp/preview-faults.txt
    scripts/plant-faults.py --check          # anchors and builds only, no tests

Outcomes: caught (a test failed; the first failing test is named), missed
(the whole suite passed), stale (the find text does not occur exactly once:
the table needs updating), no-build (the planted change does not compile:
the entry needs fixing), error (CTest failed without naming a failing
test); with --check, built.

Uses TALVORY_BUILD_DIR when set, as the other scripts do; otherwise build/
under the checkout holding this script. The tests that run on PostgreSQL
need the server scripts/test.sh starts: start one the same way
(scripts/team-server.sh start --data DIR --for-tests) and export
TALVORY_TEST_POSTGRESQL="SERVER=127.0.0.1;PORT=$(cat DIR/port)"; without it
those tests are left out, and a fault only they catch shows as missed.
Python 3, standard library only.
"""

import argparse
import datetime
import fcntl
import os
import re
import signal
import subprocess
import sys
import time
from collections import namedtuple
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SCRIPTS = ROOT / "scripts"
FOLDERS = ["app", "store", "delivery", "dialogs", "preview", "framework", "res", "platform"]

Fault = namedtuple("Fault", "id folder description file find replace")

# ---------------------------------------------------------------------------
# The faults. Anchors are kept to one or a few lines of the current sources.

FAULTS = [
    # app/ ------------------------------------------------------------------
    Fault("app-single-instance", "app",
          "A second Talvory starts beside the first (the mutex is checked for creation, not for already existing): "
          "two icons, every phrase delivered twice.",
          "app/TalvoryApp.cpp",
          "if (InstanceMutexError == ERROR_ALREADY_EXISTS) {",
          "if (InstanceMutex == nullptr) {"),
    Fault("app-dbfolder-pattern", "app",
          "Only a database file named phrases.mdb passes the start-up check; an installation whose database "
          "has another name is told folders are missing.",
          "app/DatabaseFolder.cpp",
          'L"database\\\\*.mdb"',
          'L"database\\\\phrases.mdb"'),
    Fault("app-dbfolder-no-backslash", "app",
          "The program's folder loses its trailing backslash (off by one), so the database check looks in "
          "'...installdatabase' and every start is refused.",
          "app/DatabaseFolder.cpp",
          "executable.substr(0, executable.find_last_of(L'\\\\') + 1);",
          "executable.substr(0, executable.find_last_of(L'\\\\'));"),
    Fault("app-tray-icon-id", "app",
          "The tray icon is registered as id 2006 instead of 2005: tools and messages addressing icon 2005 miss it.",
          "app/TrayIcon.h",
          "const UINT TrayIconId = 2005;",
          "const UINT TrayIconId = 2006;"),
    Fault("app-tray-no-tip", "app",
          "The icon record lacks NIF_TIP: pointing at the icon shows no 'Talvory' tip.",
          "app/TrayIcon.cpp",
          "TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;",
          "TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON;"),
    Fault("app-animation-order", "app",
          "Frames 3 and 4 of the tray animation swap places: the icon jerks back and forth.",
          "app/TrayIcon.cpp",
          "{IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_3, IDI_FRAME_4, IDI_FRAME_5}",
          "{IDI_FRAME_1, IDI_FRAME_2, IDI_FRAME_4, IDI_FRAME_3, IDI_FRAME_5}"),
    Fault("app-animation-wrap", "app",
          "The animation wraps one frame early (off by one): the fifth frame is never shown.",
          "app/TrayIcon.cpp",
          "(TrayIconAnimation.nextFrame + 1) % icons.size();",
          "(TrayIconAnimation.nextFrame + 1) % (icons.size() - 1);"),
    Fault("app-track-no-returncmd", "app",
          "The tray menu is tracked without TPM_RETURNCMD: the choice goes to the main window, which ignores it; "
          "no phrase or Toolbox command is ever carried out.",
          "app/TrayMenu.cpp",
          "const UINT TrayMenuTrackFlags = 0x182;",
          "const UINT TrayMenuTrackFlags = 0x082;"),
    Fault("app-left-button-up", "app",
          "A left press on the icon no longer opens the menu; only its release does, unlike the right button.",
          "app/TrayMenu.cpp",
          "(lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN)",
          "(lParam == WM_LBUTTONUP || lParam == WM_RBUTTONDOWN)"),
    Fault("app-exit-keeps-icon", "app",
          "Exit ends the program but leaves its icon in the notification area, dead until the pointer passes over it.",
          "app/TrayMenu.cpp",
          "        RemoveTrayIcon();\n        QuitFlag = 1;\n",
          "        QuitFlag = 1;\n"),
    Fault("app-tray-icon-not-added-again", "app",
          "An icon the notification area does not know is not added again: a Talvory started before the "
          "shell's tray was ready (at logon) never shows its icon.",
          "app/TrayIcon.cpp",
          "    if (!NotifyIcon(NIM_MODIFY, &TrayIconData) && QuitFlag == 0) NotifyIcon(NIM_ADD, &TrayIconData);\n",
          "    NotifyIcon(NIM_MODIFY, &TrayIconData);\n"),
    Fault("app-tray-icon-back-after-exit", "app",
          "The animation adds the icon again after Exit removed it: while a dialog keeps the program a moment "
          "longer, the icon comes back.",
          "app/TrayIcon.cpp",
          " && QuitFlag == 0) NotifyIcon(NIM_ADD",
          ") NotifyIcon(NIM_ADD"),
    Fault("app-close-ignored", "app",
          "Closing the tray window from outside (taskkill, the session ending, scripts/stop.sh) no longer ends "
          "Talvory: it waits for WM_QUIT, which never reaches a window.",
          "app/TrayMenu.cpp",
          "if (message == WM_CLOSE) DispatchTrayCommand(ID_TOOLBOX_EXIT);",
          "if (message == WM_QUIT) DispatchTrayCommand(ID_TOOLBOX_EXIT);"),
    Fault("app-quit-ignored", "app",
          "WM_QUIT no longer ends the main loop: a quit message leaves Talvory running without an end.",
          "app/TalvoryApp.cpp",
          "if (::GetMessageA(&msg, nullptr, 0, 0) == 0) break;",
          "if (::GetMessageA(&msg, nullptr, 0, 0) < 0) break;"),

    Fault("app-overflow-note-missing", "app",
          "A category whose phrases the menu's identifiers do not reach gives no grayed 'N more phrases not "
          "shown' item: the phrases are silently missing from the menu.",
          "app/TrayMenu.cpp",
          "        ::AppendMenuA(submenu, MF_STRING | MF_GRAYED, 0, note);\n",
          ""),
    Fault("app-hotkey-no-activation-back", "app",
          "The hotkey opens the menu as a click on the icon does: when it closes, the program the user was "
          "working in is not active again, and the pasted phrase does not go where the user was typing.",
          "app/GlobalHotkey.cpp",
          "            OpenTrayMenu(true);",
          "            OpenTrayMenu();"),
    Fault("app-hotkey-activation-before-dialog", "app",
          "After a hotkey menu, the previous window is activated even when the command opens a dialog: Add "
          "Category, Edit phrase and the rest open behind the user's program.",
          "app/TrayMenu.cpp",
          "if (previous && !OpensDialog(chosen)) ::SetForegroundWindow(previous);",
          "if (previous) ::SetForegroundWindow(previous);"),
    Fault("app-hotkey-repeats", "app",
          "The hotkey is registered without MOD_NOREPEAT: holding the chord down opens the menu again with "
          "every key repeat.",
          "app/GlobalHotkey.cpp",
          "chord.modifiers | NoRepeat, chord.virtualKey",
          "chord.modifiers, chord.virtualKey"),
    Fault("app-hotkey-default-chord", "app",
          "The default chord is Ctrl+Shift+Space instead of Ctrl+Alt+Space (wrong modifier): a user without a "
          "Hotkey value presses the documented chord and nothing opens.",
          "app/GlobalHotkey.cpp",
          "const HotkeyChord DefaultHotkey = {MOD_CONTROL | MOD_ALT, VK_SPACE};",
          "const HotkeyChord DefaultHotkey = {MOD_CONTROL | MOD_SHIFT, VK_SPACE};"),
    Fault("app-hotkey-registry-ignored", "app",
          "Settings (Hotkey, FindHotkey) are looked for under HKEY_LOCAL_MACHINE instead of the user's key: the "
          "chord the user set is ignored and the default is registered.",
          "app/Settings.cpp",
          "if (::RegOpenKeyExW(HKEY_CURRENT_USER,",
          "if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,"),
    Fault("app-about-bitmap-not-owned", "app",
          "The About picture is handed to the static control (Detach) as if the control freed it: each About "
          "box opened leaks a bitmap.",
          "app/AboutDlg.cpp",
          "reinterpret_cast<LPARAM>(m_picture.Get()));",
          "reinterpret_cast<LPARAM>(m_picture.Detach()));"),

    Fault("app-menu-failure-unexplained", "app",
          "A menu whose phrases cannot be read (a locked file, a server gone) shows no grayed 'The phrases "
          "cannot be shown' item with the reason: the user gets a menu with only the Toolbox and no word why.",
          "app/TrayMenu.cpp",
          "        ::InsertMenuItemW(popup, 0, TRUE, &item);\n        return;\n",
          "        return;\n"),
    Fault("app-menu-open-not-known", "app",
          "TrayMenuIsOpen always answers no: the find chord pressed while the tray menu is open opens the find "
          "window over the menu, and a hotkey press then is not left alone.",
          "app/TrayMenu.cpp",
          "    return trayMenuOpen;\n",
          "    return false;\n"),
    Fault("app-find-target-active-window", "app",
          "The window to paste into is taken with GetActiveWindow (the active window of Talvory's own thread, "
          "none) instead of the foreground window: a phrase chosen in the find window goes onto the clipboard "
          "but is never pasted where the user was typing.",
          "app/GlobalHotkey.cpp",
          "if (find) m_findPrevious = ::GetForegroundWindow();",
          "if (find) m_findPrevious = ::GetActiveWindow();"),

    # store/ ----------------------------------------------------------------
    Fault("store-apostrophe-not-doubled", "store",
          "SqlLiteral no longer doubles apostrophes: a name or text with an apostrophe breaks its statement "
          "(nothing is stored) or changes it (SQL injection).",
          "store/OdbcConnection.cpp",
          "        if (c == '\\'') doubled += '\\'';\n",
          ""),
    Fault("store-update-any-category", "store",
          "Saving a phrase in the editor overwrites every phrase with that shortcut name in all categories (the "
          "UPDATE keyed by the shortcut name, looked up from the PhraseID and the text shown, without the "
          "category; as the database compares, so 'Greeting' and 'GREETING' both change).",
          "store/PhraseStore.cpp",
          "\"UPDATE %s SET content = '%s' WHERE PhraseID = %s AND %s\", TableName,\n"
          "                SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString(),\n",
          "\"UPDATE %s SET content = '%s' WHERE code = (SELECT code FROM %s WHERE PhraseID = %s AND %s)\", TableName,\n"
          "                SqlLiteral(StoredPhraseText(content)).GetString(), TableName, IdText(phraseId).GetString(),\n"),
    Fault("store-delete-any-category", "store",
          "Deleting a phrase in the editor deletes the phrases with that shortcut name in every category (the "
          "DELETE keyed by the shortcut name, looked up from the PhraseID and the text shown, without the "
          "category; its twin in the same category goes too).",
          "store/PhraseStore.cpp",
          "text.Format(\"DELETE FROM %s WHERE PhraseID = %s AND %s\", TableName, IdText(phraseId).GetString(),\n"
          "                ContentIs(shownStored).GetString());",
          "text.Format(\"DELETE FROM %s WHERE code = (SELECT code FROM %s WHERE PhraseID = %s AND %s)\", TableName,\n"
          "                TableName, IdText(phraseId).GetString(), ContentIs(shownStored).GetString());"),
    Fault("store-content-any-category", "store",
          "The editor (and delivery) shows the text of the first phrase with that shortcut name in any category "
          "(the read keyed by the shortcut name, looked up from the PhraseID, without the category).",
          "store/PhraseStore.cpp",
          "text.Format(\"SELECT content FROM %s WHERE PhraseID = %s\", TableName, IdText(phraseId).GetString());",
          "text.Format(\"SELECT content FROM %s WHERE code = (SELECT code FROM %s WHERE PhraseID = %s)\", TableName,\n"
          "                TableName, IdText(phraseId).GetString());"),
    Fault("store-categories-descending", "store",
          "Categories are listed in descending order in every dialog's category list (the editor, Add New "
          "Phrase, Delete Category), unlike the tray menu, whose own reading keeps them ascending.",
          "store/PhraseStore.cpp",
          "SELECT DISTINCT category FROM %s ORDER BY category ASC",
          "SELECT DISTINCT category FROM %s ORDER BY category DESC"),
    Fault("store-phrases-by-id", "store",
          "A category's submenu lists its phrases in the order they were added, not by shortcut name (the "
          "menu's one statement sorted by PhraseID within the category).",
          "store/PhraseStore.cpp",
          "\"SELECT category, code, PhraseID FROM %s ORDER BY category, code\"",
          "\"SELECT category, code, PhraseID FROM %s ORDER BY category, PhraseID\""),
    Fault("store-no-data-is-success", "store",
          "A change that matched no row (SQL_NO_DATA, or no row counted) counts as done: saving or deleting a "
          "phrase someone else changed or removed reports success, and the editor never asks before "
          "overwriting.",
          "store/OdbcConnection.cpp",
          "    if (rc == SQL_NO_DATA) return ChangeOutcome::NothingMatched;\n"
          "    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return ChangeOutcome::Failed;\n"
          "    SQLLEN rows = -1;\n"
          "    if (SQL_SUCCEEDED(SQLRowCount(m_handle, &rows)) && rows == 0) return ChangeOutcome::NothingMatched;\n",
          "    if (rc == SQL_NO_DATA) return ChangeOutcome::Done;\n"
          "    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return ChangeOutcome::Failed;\n"),
    Fault("store-column-chunk-off-by-one", "store",
          "A text of exactly 1,024 bytes is taken from the first piece (off by one): its last byte is lost and "
          "the terminating zero read in its place.",
          "store/OdbcConnection.cpp",
          "if (indicator != SQL_NO_TOTAL && indicator < ColumnChunk) return",
          "if (indicator != SQL_NO_TOTAL && indicator <= ColumnChunk) return"),
    Fault("store-statement-leak", "store",
          "Every statement (counts, texts, lists, deliveries) leaks its ODBC statement handle: the Statement "
          "guard frees its slot but not the handle.",
          "store/OdbcConnection.cpp",
          "    SQLFreeHandle(SQL_HANDLE_STMT, m_handle);\n    m_handle = SQL_NULL_HSTMT;\n",
          "    m_handle = SQL_NULL_HSTMT;\n"),
    Fault("store-apostrophe-storage", "store",
          "Added and saved phrases keep the apostrophe behind the 0xAC byte instead of storing 0xAC 0x60 (and a "
          "typed backquote becomes an apostrophe): delivery shows a stray 0xAC, other readers of the file see a "
          "changed text.",
          "store/StoredText.cpp",
          "if (text[i] == '\\'') text[i] = '`';",
          "if (text[i] == '`') text[i] = '\\'';"),
    Fault("store-direct-range-top", "store",
          "Choosing the phrase with PhraseID 9,999 delivers nothing: its identifier 49,999 is not resolved "
          "(off by one at the top of the direct range).",
          "store/PhraseCommandIds.cpp",
          "commandId <= FirstPhraseCommand + LargestDirectPhraseId)",
          "commandId < FirstPhraseCommand + LargestDirectPhraseId)"),

    Fault("store-update-no-where", "store",
          "Saving a phrase in the editor writes its text into every row of the table (UPDATE without WHERE).",
          "store/PhraseStore.cpp",
          "\"UPDATE %s SET content = '%s' WHERE PhraseID = %s AND %s\", TableName,\n"
          "                SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString(),\n"
          "                ContentIs(shownStored).GetString());",
          "\"UPDATE %s SET content = '%s'\", TableName,\n"
          "                SqlLiteral(StoredPhraseText(content)).GetString());"),
    Fault("store-delete-blank-any-category", "store",
          "Deleting a category's blank item in the editor deletes the category rows of every category (DELETE "
          "without 'category ='): every category without phrases vanishes.",
          "store/PhraseStore.cpp",
          "text.Format(\"DELETE FROM %s WHERE category = '%s' AND code = '%s'\", TableName, SqlLiteral(category).GetString(),\n"
          "                SqlLiteral(code).GetString());",
          "text.Format(\"DELETE FROM %s WHERE code = '%s'\", TableName, SqlLiteral(code).GetString());"),
    Fault("store-stored-text-not-on-save", "store",
          "The editor's Save stores the text as typed, not in the stored form: its apostrophes are no longer "
          "0xAC 0x60, unlike every phrase added, and other readers of the file see a different text.",
          "store/PhraseStore.cpp",
          "SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString(),\n",
          "SqlLiteral(content).GetString(), IdText(phraseId).GetString(),\n"),
    Fault("store-task-not-failing-fast", "store",
          "A failed statement no longer ends the task's remaining statements: a locked database or a server "
          "that does not answer holds the menu and the dialogs up once per statement instead of once.",
          "store/OdbcConnection.cpp",
          "    RecordFailure(diagnostic, change);\n    if (state.taskScopes > 0) state.failedInTask = true;\n",
          "    RecordFailure(diagnostic, change);\n"),
    Fault("store-task-failure-kept", "store",
          "A new task does not forget the failure of an earlier one: after one locked moment (at start-up, say) "
          "no task's statements run again, and the menu stays empty for good.",
          "store/OdbcConnection.cpp",
          "    ClearLastStoreFailure();\n    state.failedInTask = false;\n",
          "    ClearLastStoreFailure();\n"),
    Fault("store-task-diagnostics-never-written", "store",
          "The diagnostics kept during a task are thrown away at its end instead of written: start-up, menu and "
          "editor statements leave nothing on the debugger output (the log scripts/start.sh reads).",
          "store/OdbcConnection.cpp",
          "    OutputDebugStringA(state.taskDiagnostics.c_str());\n    state.taskDiagnostics.clear();\n",
          "    state.taskDiagnostics.clear();\n"),
    Fault("store-parse-integer-32bit", "store",
          "Keys are cut to 32 bits (a cast to long, 32 bits on Windows): the phrase with PhraseID 2^31 is listed "
          "but delivers nothing, and larger keys reach the wrong phrase.",
          "store/OdbcConnection.cpp",
          "    return static_cast<PhraseId>(value);\n}",
          "    return static_cast<long>(value);\n}"),
    Fault("store-command-ids-overlap-toolbox", "store",
          "Identifiers mapped above the Toolbox start at 50020, Delete Category's (off by one): that phrase "
          "opens Delete Category instead of being delivered.",
          "store/PhraseCommandIds.cpp",
          "const UINT FirstHighMappedCommand = 50021;",
          "const UINT FirstHighMappedCommand = 50020;"),
    Fault("store-command-ids-overlap-categories", "store",
          "Mapped identifiers start at the last category's position (off by one): the first mapped phrase and "
          "that category's item share an identifier.",
          "store/PhraseCommandIds.cpp",
          "firstMappedCommand = categoryCount > 1 ? static_cast<UINT>(categoryCount) : 1;",
          "firstMappedCommand = categoryCount > 1 ? static_cast<UINT>(categoryCount - 1) : 1;"),
    Fault("store-twin-check-case-sensitive", "store",
          "The shortcut-name check compares byte for byte (COLLATE BINARY), not as the database compares: "
          "'accept' is added beside 'Accept', and the editor then shows two names the database holds equal.",
          "store/PhraseStore.cpp",
          "SELECT COUNT(PhraseID) FROM %s WHERE category = '%s' AND code = '%s'",
          "SELECT COUNT(PhraseID) FROM %s WHERE category = '%s' AND code = '%s' COLLATE BINARY"),
    Fault("store-unusable-database-counted-busy", "store",
          "SQLite's generic error (1: no such table, no such column) counts as 'busy': a file without the "
          "phrase table or its columns passes as usable, and the user gets an empty menu without a word why.",
          "store/OdbcConnection.cpp",
          "return nativeError == 5 || nativeError == 6;",
          "return nativeError == 1 || nativeError == 5 || nativeError == 6;"),

    Fault("store-removed-file-not-noticed", "store",
          "A database file removed from its path is not noticed: a change still goes to the file the "
          "connection has open, which is gone, and is reported as done; the user's new phrase is lost.",
          "store/OdbcConnection.cpp",
          "        state.fileRemoved = !present;\n",
          "        state.fileRemoved = false;\n"),
    Fault("store-replaced-file-not-reconnected", "store",
          "A file put at the path in place of the database (a backup restored, another file renamed over it) is "
          "not followed by its identity, only by its path: Talvory goes on reading and writing the old file, "
          "and the restored phrases never show.",
          "store/OdbcConnection.cpp",
          "if (present && (path != state.file || now != state.fileIdentity)) {",
          "if (present && path != state.file) {"),
    Fault("store-newer-driver-name-not-tried", "store",
          "Only the old Access driver name is tried: on a 64-bit Windows, which knows the driver only as "
          "'Microsoft Access Driver (*.mdb, *.accdb)', Talvory never opens its phrases.",
          "store/OdbcConnection.cpp",
          "for (const wchar_t* driver : {AccessDriverName, NewerAccessDriverName}) {",
          "for (const wchar_t* driver : {AccessDriverName}) {"),
    Fault("store-client-encoding-not-set", "store",
          "client_encoding is not set on a PostgreSQL connection: the server takes the program's Windows-1252 "
          "bytes for its own encoding, so apostrophes (0xAC 0x60) and accented letters are refused or stored "
          "as other characters.",
          "store/OdbcConnection.cpp",
          "    if (encoding) RunSetUp((std::string(\"SET client_encoding TO '\") + encoding + \"'\").c_str());\n",
          ""),
    Fault("store-update-unguarded", "store",
          "The editor's Save no longer checks that the phrase still holds the text it showed: a change someone "
          "else made meanwhile is overwritten without a question (lost update).",
          "store/PhraseStore.cpp",
          "WHERE PhraseID = %s AND %s\", TableName,\n"
          "                SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString(),\n"
          "                ContentIs(shownStored).GetString());",
          "WHERE PhraseID = %s\", TableName,\n"
          "                SqlLiteral(StoredPhraseText(content)).GetString(), IdText(phraseId).GetString());"),
    Fault("store-menu-grouping-case-sensitive", "store",
          "The menu's reading starts a new category whenever a category name differs from the row before in case "
          "('Work' and 'work', which the database holds as one category): the category shows twice in the menu, "
          "its phrases split between the two.",
          "store/PhraseStore.cpp",
          "        if (x != y && !(x >= 'A' && x <= 'Z' && x + ('a' - 'A') == y) && !(y >= 'A' && y <= 'Z' && y + ('a' - 'A') == x))\n",
          "        if (x != y)\n"),
    Fault("store-menu-cache-revision-ignored", "store",
          "The team library's menu cache is served whatever the server's revision: a phrase another user "
          "added, changed or deleted never shows in this user's menu until Talvory restarts.",
          "store/PhraseStore.cpp",
          "if (cache.valid && cache.revision == revision && cache.generation == DatabaseGeneration()) {",
          "if (cache.valid && cache.generation == DatabaseGeneration()) {"),
    # delivery/ -------------------------------------------------------------
    Fault("delivery-apostrophe-not-restored", "delivery",
          "Stored apostrophes (0xAC 0x60) are not restored on delivery (ShownPhraseText not applied): the user "
          "gets '\\xAC`' where an apostrophe was typed, from the menu and from the find window alike.",
          "delivery/PhraseDelivery.cpp",
          "    text = ShownPhraseText(phrase.text);\n",
          "    text = phrase.text;\n"),
    Fault("delivery-drop-unterminated", "delivery",
          "The CF_TEXT block (TextBlock, now for the clipboard and the drop alike) has no room for its "
          "terminating zero (off by one): receivers read bytes past the phrase.",
          "delivery/PhraseDelivery.cpp",
          "SIZE_T size = static_cast<SIZE_T>(text.GetLength()) + 1;",
          "SIZE_T size = static_cast<SIZE_T>(text.GetLength());"),
    Fault("delivery-copy-effect-only", "delivery",
          "The drop offers copy only: targets that take text by move refuse the phrase.",
          "delivery/PhraseDelivery.cpp",
          "source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);",
          "source->DoDragDrop(DROPEFFECT_COPY);"),
    Fault("delivery-no-phrase-dropped", "delivery",
          "Choosing a category without phrases (its plain item) or a forgotten identifier is taken for the "
          "phrase with key 0: the user is told a phrase was deleted, or gets whatever phrase has that key.",
          "delivery/PhraseDelivery.cpp",
          "if (!PhraseForCommand(commandId, phraseId)) return;",
          "PhraseForCommand(commandId, phraseId);"),
    Fault("delivery-source-leak", "delivery",
          "Each delivery leaks its drag data source and the global block holding the phrase (held by a plain "
          "pointer, never released).",
          "delivery/PhraseDelivery.cpp",
          "    CComPtr<COleDataSource> source(new COleDataSource);\n"
          "    source->CacheGlobalData(CF_TEXT, block);\n"
          "    source->DoDragDrop(",
          "    COleDataSource* source = new COleDataSource;\n"
          "    source->CacheGlobalData(CF_TEXT, block);\n"
          "    source->DoDragDrop("),
    Fault("delivery-clipboard-last-char", "delivery",
          "The clipboard copy loses the phrase's last character (off by one in the length written).",
          "delivery/PhraseDelivery.cpp",
          "    if (text.IsEmpty()) return false; // the clipboard stays as it was\n    HGLOBAL block = TextBlock(text);\n",
          "    if (text.IsEmpty()) return false; // the clipboard stays as it was\n"
          "    HGLOBAL block = TextBlock(text.Left(text.GetLength() - 1));\n"),

    Fault("delivery-read-failure-unreported", "delivery",
          "A chosen phrase that cannot be read (a locked database, a server gone) is not reported: nothing is "
          "copied and the user pastes whatever the clipboard held before.",
          "delivery/PhraseDelivery.cpp",
          "        const std::wstring& reason = LastStoreFailure().reason;\n"
          "        AfxMessageBox(L\"The phrase could not be read from the database, so nothing was copied. \" +\n"
          "                      (reason.empty() ? std::wstring(L\"Please try again in a moment.\") : reason));\n",
          ""),
    Fault("delivery-replaced-file-delivers", "delivery",
          "A phrase chosen in a menu opened before the database file was replaced is delivered from the new "
          "file by its old key: the user pastes another phrase than the one chosen, without a word.",
          "delivery/PhraseDelivery.cpp",
          "    if (PhraseCommandsOutdated()) {\n",
          "    if (false) {\n"),

    # dialogs/ --------------------------------------------------------------
    Fault("dialogs-add-failure-unreported", "dialogs",
          "Add New Phrase reports success for a phrase the database refused: the user's text is lost.",
          "dialogs/AddPhrase.cpp",
          "    if (!AddPhrase(m_categoryCombo, code, content)) {\n"
          "        if (LastStoreFailure().kind == StoreFailureKind::Duplicate) {\n"
          "            AfxMessageBox(twin, MB_OK | MB_ICONINFORMATION);\n"
          "        } else {\n"
          "            AfxMessageBox(L\"The phrase could not be saved to the database. \" + LastStoreFailure().reason);\n"
          "        }\n"
          "        return;\n"
          "    }\n",
          "    AddPhrase(m_categoryCombo, code, content);\n"),
    Fault("dialogs-save-failure-text", "dialogs",
          "A failed save in the phrase editor tells the user the phrase could not be deleted.",
          "dialogs/BrevixDlg.cpp",
          "AfxMessageBox(L\"The phrase could not be saved to the database. \" + LastStoreFailure().reason);",
          "AfxMessageBox(L\"The phrase could not be deleted from the database. \" + LastStoreFailure().reason);"),
    Fault("dialogs-delete-failure-unreported", "dialogs",
          "A failed phrase deletion goes unreported; the editor jumps back to the first category as if it had "
          "worked.",
          "dialogs/BrevixDlg.cpp",
          "    if (outcome == ChangeOutcome::Failed) {\n"
          "        AfxMessageBox(L\"The phrase could not be deleted from the database. \" + LastStoreFailure().reason);\n"
          "        return;\n"
          "    }\n",
          ""),
    Fault("dialogs-category-duplicate", "dialogs",
          "A category that has only its category row can be added a second time (duplicate check off by one).",
          "dialogs/CategoryDlg.cpp",
          "if (CountCategoryPhrases(name) != 0) {",
          "if (CountCategoryPhrases(name) > 1) {"),
    Fault("dialogs-delete-without-yes", "dialogs",
          "Answering No to 'Are you sure you want to delete?' deletes the category anyway.",
          "dialogs/DeleteCategory.cpp",
          "MB_YESNO | MB_ICONQUESTION) != IDYES) return;",
          "MB_YESNO | MB_ICONQUESTION) == IDCANCEL) return;"),
    Fault("dialogs-delete-category-failure", "dialogs",
          "A failed category deletion goes unreported, and deleting with an empty list reports a failure.",
          "dialogs/DeleteCategory.cpp",
          "if (DeleteCategoryRows(name) == ChangeOutcome::Failed && itemSelected)",
          "if (DeleteCategoryRows(name) == ChangeOutcome::Failed && !itemSelected)"),
    Fault("dialogs-add-text-limit", "dialogs",
          "Add New Phrase keeps the text box's default limit (copy-paste slip): long phrases are cut at about "
          "30,000 characters.",
          "dialogs/AddPhrase.cpp",
          "    m_shortcutEdit.SetLimitText(0);\n    m_contentEdit.SetLimitText(0);\n",
          "    m_shortcutEdit.SetLimitText(0);\n    m_shortcutEdit.SetLimitText(0);\n"),
    Fault("dialogs-phrase-change-swapped", "dialogs",
          "The two combo boxes confused (as category and shortcut name were once passed the wrong way round): "
          "the editor shows, saves and deletes the phrase at the chosen category's position, not the chosen "
          "phrase. (The editor now goes by PhraseID; the old fault, an empty text, has no counterpart.)",
          "dialogs/BrevixDlg.cpp",
          "    int index = m_phraseCombo.GetCurSel();\n",
          "    int index = m_categoryCombo.GetCurSel();\n"),
    Fault("dialogs-last-row-no-phrase", "dialogs",
          "Deleting a phrase while one row is left says 'There is no phrase in the database' (off by one).",
          "dialogs/BrevixDlg.cpp",
          "if (CountPhrases() >= 1) {",
          "if (CountPhrases() > 1) {"),

    Fault("dialogs-editor-stored-apostrophes", "dialogs",
          "The editor shows the text in its stored form (ShownPhraseText not applied): '\\xAC`' where the user "
          "typed an apostrophe, stored again doubled on Save.",
          "dialogs/BrevixDlg.cpp",
          "SetPhraseText(m_contentEdit, ShownPhraseText(m_shownStored));",
          "SetPhraseText(m_contentEdit, m_shownStored);"),
    Fault("dialogs-delete-by-name", "dialogs",
          "The editor deletes the chosen phrase by category and shortcut name instead of its PhraseID: its twin "
          "(a name the database holds equal, 'Greeting' and 'GREETING') goes with it.",
          "dialogs/BrevixDlg.cpp",
          "        outcome = DeletePhraseById(phraseId, m_shownStored);\n",
          "        outcome = DeletePhrase(m_categoryCombo.GetSelectedText(), m_phraseCombo.GetSelectedText());\n"),
    Fault("dialogs-add-phrase-focus-returns-true", "dialogs",
          "Add New Phrase's initialisation returns TRUE after placing the focus: the dialog manager moves it to "
          "'Add Phrase', and what the user types goes nowhere instead of into the shortcut name.",
          "dialogs/AddPhrase.cpp",
          "    GotoDlgCtrl(m_shortcutEdit);\n    return FALSE;\n",
          "    GotoDlgCtrl(m_shortcutEdit);\n    return TRUE;\n"),
    Fault("dialogs-add-category-no-focus", "dialogs",
          "Add Category no longer puts the focus in its name box: the user has to click into it before typing.",
          "dialogs/CategoryDlg.cpp",
          "    GotoDlgCtrl(m_nameEdit);\n",
          ""),
    Fault("dialogs-twin-check-arguments-swapped", "dialogs",
          "Add New Phrase passes the shortcut name and category the wrong way round to CountCategoryCodes: the "
          "check never finds a twin, and a second phrase with a name in use is added.",
          "dialogs/AddPhrase.cpp",
          "if (CountCategoryCodes(m_categoryCombo.GetSelectedText(), code) != 0) {",
          "if (CountCategoryCodes(code, m_categoryCombo.GetSelectedText()) != 0) {"),
    Fault("dialogs-long-paragraph-style-confused", "dialogs",
          "The text box's wrapping is read from ES_AUTOVSCROLL instead of ES_AUTOHSCROLL: a 100,000-character "
          "paragraph stays word-wrapped (the editor stalls for seconds), and every other text rebuilds the box.",
          "dialogs/PhraseTextBox.cpp",
          "    bool wraps = (style & ES_AUTOHSCROLL) == 0;\n",
          "    bool wraps = (style & ES_AUTOVSCROLL) == 0;\n"),
    Fault("dialogs-long-text-box-limit", "dialogs",
          "The unwrapped text box made for a long paragraph keeps the edit control's default limit (about "
          "30,000 characters): the user cannot type into a long phrase's text.",
          "dialogs/PhraseTextBox.cpp",
          "    ::SendMessageA(replacement, EM_SETLIMITTEXT, 0, 0);\n",
          ""),
    Fault("dialogs-editor-icon-not-owned", "dialogs",
          "The editor hands its icon to the window (Detach) as if the window freed it: each editor opened leaks "
          "an icon.",
          "dialogs/BrevixDlg.cpp",
          "SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Get()));",
          "SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.Detach()));"),

    Fault("dialogs-category-name-not-trimmed", "dialogs",
          "Add Category keeps the blanks around the name: ' Work ' is added beside 'Work', and a name of blanks "
          "alone is stored as a category that looks empty.",
          "dialogs/CategoryDlg.cpp",
          "    CString name = m_nameEdit.GetWindowText().Trimmed();\n",
          "    CString name = m_nameEdit.GetWindowText();\n"),
    Fault("dialogs-shortcut-name-not-trimmed", "dialogs",
          "Add New Phrase keeps the blanks around the shortcut name: ' Hello ' is added beside 'Hello' as a "
          "second phrase of the same name, and a name of blanks alone is accepted.",
          "dialogs/AddPhrase.cpp",
          "    CString code = m_shortcutEdit.GetWindowText().Trimmed();\n",
          "    CString code = m_shortcutEdit.GetWindowText();\n"),
    Fault("dialogs-find-starts-with-not-first", "dialogs",
          "The find window no longer puts shortcut names that start with the query first: they are mixed with "
          "names that only contain it, in category order, and the phrase the user is typing the name of is not "
          "at the top.",
          "dialogs/PhraseSearch.cpp",
          "        if (StartsWith(code, codeEnd, whole)) {\n",
          "        if (Contains(code, codeEnd, whole)) {\n"),
    Fault("dialogs-find-always-narrowed", "dialogs",
          "The find window always searches among the previous query's matches only: a letter or word taken back "
          "does not bring back the phrases it had excluded.",
          "dialogs/PhraseSearch.cpp",
          "        narrowed = narrowed && within;\n",
          "        narrowed = narrowed || within;\n"),

    # preview/ --------------------------------------------------------------
    Fault("preview-eighth-separator", "preview",
          "Previews run to the eighth separator instead of the seventh (off by one): one word too many.",
          "preview/PreviewText.cpp",
          "separators < MaxPreviewSeparators) {",
          "separators <= MaxPreviewSeparators) {"),
    Fault("preview-length-off-by-one", "preview",
          "A preview without separators keeps 1,024 bytes, one more than the limit.",
          "preview/PreviewText.cpp",
          "end < static_cast<size_t>(MaxPreviewLength)",
          "end <= static_cast<size_t>(MaxPreviewLength)"),
    Fault("preview-space-not-separator", "preview",
          "Spaces no longer count as separators: a preview of ordinary prose runs on instead of stopping after "
          "seven words.",
          "preview/PreviewText.cpp",
          "if (c >= 1 && c <= 32) {",
          "if (c >= 1 && c < 32) {"),
    Fault("preview-short-delay", "preview",
          "The first preview shows after a tenth of a second instead of a second: popups flicker beside every "
          "phrase passed over.",
          "preview/MenuPreviewManager.h",
          "UINT showDelay = 1000;",
          "UINT showDelay = 100;"),
    Fault("preview-timer-not-stopped", "preview",
          "Hiding the preview leaves its show timer running: a pending preview pops up later beside a phrase "
          "without text.",
          "preview/PopupText.cpp",
          "    if (!IsWindow()) return;\n    KillTimer(ShowTimerId);\n    ShowWindow(SW_HIDE);\n",
          "    if (!IsWindow()) return;\n    ShowWindow(SW_HIDE);\n"),
    Fault("preview-unhook-keeps-procedure", "preview",
          "Removing a window's last hook does not put its own procedure back: the window never sees its "
          "messages again.",
          "preview/SubclassWnd.cpp",
          "            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedWindowProc));\n",
          ""),
    Fault("preview-chain-cut", "preview",
          "Removing a hook from the middle of a chain drops every older hook with it.",
          "preview/SubclassWnd.cpp",
          "hook->nextHook = nextHook;",
          "hook->nextHook = nullptr;"),
    Fault("preview-popup-right-of-menu-overlaps", "preview",
          "The preview overlaps the menu by 50 pixels again: a narrow menu's items are hidden under their own "
          "preview. (The popup now stands beside the menu on purpose; with no overlap the old fault, 50 px "
          "right of the edge instead of overlapping by 50, changes nothing.)",
          "preview/MenuPreviewManager.h",
          "static const int PopupOverlap = 0;",
          "static const int PopupOverlap = 50;"),
    Fault("preview-every-select-by-mouse", "preview",
          "Every highlight counts as made with the mouse: a keyboard user's preview vanishes whenever the "
          "pointer rests off the menu.",
          "preview/MenuPreviewManager.cpp",
          "mouseSelected = (flags & MF_MOUSESELECT) != 0;",
          "mouseSelected = (flags & MF_HILITE) != 0;"),

    Fault("preview-stored-apostrophes", "preview",
          "The preview shows the text in its stored form (ShownPhraseText not applied): '\\xAC`' where the user "
          "typed an apostrophe.",
          "preview/MenuPreviewManager.cpp",
          "return MakePreviewText(ShownPhraseText(ReadPhrase(phraseId).text));",
          "return MakePreviewText(ReadPhrase(phraseId).text);"),

    # framework/ ------------------------------------------------------------
    Fault("framework-no-clipboard-flush", "framework",
          "The clipboard is not flushed at exit: the last phrase delivered vanishes from the clipboard when "
          "Talvory ends.",
          "framework/AfxInit.cpp",
          "    if (AfxClipboardSource && ::OleIsCurrentClipboard(AfxClipboardSource) == S_OK) ::OleFlushClipboard();\n",
          ""),
    Fault("framework-filter-hook-kept", "framework",
          "The message-filter hook is not removed when the application's run ends: it outlives the "
          "application object it calls.",
          "framework/AfxApp.cpp",
          "    if (messageFilterHook) ::UnhookWindowsHookEx(messageFilterHook);\n",
          ""),
    Fault("framework-shared-file-no-terminator-copy", "framework",
          "The copy of a cached block that GetData hands to the clipboard and to drop targets is one byte short "
          "(off by one in its size): every text arrives without its terminating zero. (CSharedFile is gone; the "
          "block is now built whole by TextBlock, whose off by one is delivery-drop-unterminated; this is the "
          "framework's nearest step.)",
          "framework/AfxDataSource.cpp",
          "    SIZE_T size = ::GlobalSize(source);\n",
          "    SIZE_T size = ::GlobalSize(source) - 1;\n"),
    Fault("framework-replace-step", "framework",
          "CString::Replace resumes one byte after a match's start: each restored apostrophe is followed by a "
          "stray backquote.",
          "framework/AfxString.cpp",
          "pos = at + needle.size();",
          "pos = at + 1;"),
    Fault("framework-window-text-short", "framework",
          "Reading a control's text drops its last character (off by one): phrases, names and categories are "
          "saved without their final letter.",
          "framework/AfxWnd.cpp",
          "::GetWindowTextA(m_hWnd, &text[0], length + 1);",
          "::GetWindowTextA(m_hWnd, &text[0], length);"),
    Fault("framework-drag-start-pixel", "framework",
          "The drag-start square is a single pixel, never inflated by the minimum drag distance: the slightest "
          "tremor of the mouse starts the drop at once.",
          "framework/AfxDataSource.cpp",
          "        ::InflateRect(&rect, dropSource->m_dragMinDist, dropSource->m_dragMinDist);\n",
          "        ::SetRect(&rect, cursor.x, cursor.y, cursor.x + 1, cursor.y + 1);\n"),
    Fault("framework-cancel-button-ignored", "framework",
          "Pressing the other mouse button during a drag no longer cancels it; only Escape does.",
          "framework/AfxDataSource.cpp",
          "if (escapePressed || (keyState & m_dwButtonCancel) != 0) return DRAGDROP_S_CANCEL;",
          "if (escapePressed) return DRAGDROP_S_CANCEL;"),
    Fault("framework-drop-buttons-swapped", "framework",
          "With the left button held when a drag starts, the right button is taken as the drop button: the "
          "phrase drops at once, and releasing left no longer decides.",
          "framework/AfxDataSource.cpp",
          "        m_dwButtonDrop = MK_LBUTTON;\n        m_dwButtonCancel = MK_RBUTTON;\n",
          "        m_dwButtonDrop = MK_RBUTTON;\n        m_dwButtonCancel = MK_LBUTTON;\n"),
    Fault("framework-drag-delay-default", "framework",
          "Without a profile value the drag delay is 2 ms instead of 200 ms (the distance's default taken for "
          "the delay's): the drop comes before the user reaches the target.",
          "framework/AfxDataSource.cpp",
          '::GetProfileIntA("windows", "DragDelay", DD_DEFDRAGDELAY),',
          '::GetProfileIntA("windows", "DragDelay", DD_DEFDRAGMINDIST),'),
    Fault("framework-getdata-shares-block", "framework",
          "GetData hands out the cached block itself: the first receiver that frees it destroys the phrase for "
          "every later paste.",
          "framework/AfxDataSource.cpp",
          "HGLOBAL copy = CopyGlobalBlock(entry->block);",
          "HGLOBAL copy = entry->block;"),
    Fault("framework-dialogs-unowned", "framework",
          "Dialogs run from the tray menu get no owner: the hidden main window stays enabled under them and they "
          "can fall behind other windows.",
          "framework/AfxDialog.cpp",
          "if (mainWindow && mainWindow != this && mainWindow->IsWindow()) return mainWindow->m_hWnd;",
          "if (mainWindow && mainWindow == this && mainWindow->IsWindow()) return mainWindow->m_hWnd;"),

    Fault("framework-clipboard-source-leak", "framework",
          "SetClipboard keeps the caller's reference as well as the clipboard's: every phrase copied leaks its "
          "data source and the global block holding it.",
          "framework/AfxDataSource.cpp",
          "    // The clipboard holds its own reference from now on.\n    Release();\n",
          "    // The clipboard holds its own reference from now on.\n"),
    Fault("framework-find-handle-null", "framework",
          "The find-handle owner takes null, not INVALID_HANDLE_VALUE, for 'no handle': a search that found "
          "nothing counts as found, so the start-up check passes without a database file (and FindClose gets "
          "an invalid handle).",
          "framework/AfxHandles.h",
          "struct AfxFindTraits\n{\n    using Handle = HANDLE;\n    static HANDLE Null() { return INVALID_HANDLE_VALUE; }",
          "struct AfxFindTraits\n{\n    using Handle = HANDLE;\n    static HANDLE Null() { return nullptr; }"),

    # res/ ------------------------------------------------------------------
    Fault("res-exit-id", "res",
          "Toolbox > Exit carries the About command: it opens the About box and Talvory cannot be ended from "
          "its menu.",
          "res/Talvory.rc",
          'MENUITEM "Exit",            ID_TOOLBOX_EXIT',
          'MENUITEM "Exit",            ID_TOOLBOX_ABOUT'),
    Fault("res-add-phrase-id", "res",
          "Toolbox > Add phrase opens the phrase editor instead of Add New Phrase (wrong menu identifier).",
          "res/Talvory.rc",
          'MENUITEM "Add phrase",      ID_TOOLBOX_ADD_PHRASE',
          'MENUITEM "Add phrase",      ID_TOOLBOX_EDIT_PHRASE'),
    Fault("res-about-accelerator", "res",
          "The editor's system-menu entry loses its '&': 'About Talvory...' has no access key.",
          "res/Talvory.rc",
          'IDS_ABOUTBOX "&About Talvory..."',
          'IDS_ABOUTBOX "About Talvory..."'),
    Fault("res-editor-no-sysmenu", "res",
          "The phrase editor's template lacks WS_SYSMENU: no close box and no 'About Talvory...' entry.",
          "res/Talvory.rc",
          "DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU",
          "DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION"),
    Fault("res-text-no-wantreturn", "res",
          "Enter in the editor's phrase text ends the editor instead of starting a new line (ES_WANTRETURN "
          "missing).",
          "res/Talvory.rc",
          "IDC_CONTENT_EDIT, 12, 60, 462, 131, ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL",
          "IDC_CONTENT_EDIT, 12, 60, 462, 131, ES_MULTILINE | ES_AUTOVSCROLL"),
    Fault("res-add-phrase-tab-order-text", "res",
          "Add New Phrase's tab order changed (the text box's line moved above the shortcut name's): Tab from "
          "the shortcut name goes to Cancel, not to the phrase text. (The dialog now puts the focus in the "
          "shortcut name itself, so the old fault, the opening focus moved by the tab order, changes nothing.)",
          "res/Talvory.rc",
          '    EDITTEXT        IDC_SHORTCUT_EDIT, 174, 29, 234, 13, ES_AUTOHSCROLL\n'
          '    LTEXT           "Phrase shortcut", -1, 174, 18, 138, 8\n'
          "    EDITTEXT        IDC_ADD_CONTENT_EDIT, 18, 78, 390, 96, ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL\n",
          "    EDITTEXT        IDC_ADD_CONTENT_EDIT, 18, 78, 390, 96, ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL\n"
          '    EDITTEXT        IDC_SHORTCUT_EDIT, 174, 29, 234, 13, ES_AUTOHSCROLL\n'
          '    LTEXT           "Phrase shortcut", -1, 174, 18, 138, 8\n'),

    # platform/ -------------------------------------------------------------
    Fault("platform-no-nocreat", "platform",
          "The ODBC adapter no longer adds NoCreat=1: a missing database file is silently created empty instead "
          "of failing the connection.",
          "platform/access_driver_adapter.c",
          "if (!hasNoCreat) used +=",
          "if (hasNoCreat) used +="),
    Fault("platform-dbq-not-mapped", "platform",
          "The adapter maps DSN= instead of DBQ= to Database=: the SQLite driver never opens the phrase file.",
          "platform/access_driver_adapter.c",
          'if (KeyIs(in + start, keyLength, "DBQ")) {',
          'if (KeyIs(in + start, keyLength, "DSN")) {'),
    Fault("platform-dbq-equals-lost", "platform",
          "The '=' after the mapped key is dropped: 'Database/path/to/phrases.mdb' names no attribute and the "
          "connection fails.",
          "platform/access_driver_adapter.c",
          '"Database=%s;", *database',
          '"Database%s;", *database'),
    Fault("platform-long-busy-timeout", "platform",
          "The busy timeout is 5 s instead of 0.5 s: a locked database freezes the menu and dialogs for about "
          "ten seconds per statement.",
          "platform/access_driver_adapter.c",
          '#define BUSY_TIMEOUT_MS "500"',
          '#define BUSY_TIMEOUT_MS "5000"'),
    Fault("platform-wal-read-only-open", "platform",
          "The adapter opens the file read-only (SQLITE_OPEN_READONLY for READWRITE) to switch it back from the "
          "write-ahead log: the switch silently fails, so a database an earlier version left in WAL mode keeps "
          "its -wal and -shm files beside it, and a copy of the file alone is not the whole library.",
          "platform/access_driver_adapter.c",
          "const int readWrite = 0x00000002;",
          "const int readWrite = 0x00000001;"),
    Fault("platform-wal-not-switched-back", "platform",
          "The adapter no longer switches a database an earlier version left in the write-ahead log back to the "
          "rollback journal: its -wal and -shm files stay beside it, a copy of the file alone misses the latest "
          "changes, and a file replaced at the path may get another file's log applied.",
          "platform/access_driver_adapter.c",
          "    if (database) UseRollbackJournal(database);\n",
          ""),
    Fault("platform-short-name-not-resolved", "platform",
          "The adapter no longer resolves names that do not exist as written (a short 8.3 name, another case): "
          "Talvory installed in a folder named in another alphabet cannot open its phrase file.",
          "platform/access_driver_adapter.c",
          "    if (access(path, F_OK) == 0) return strdup(path);\n",
          "    return strdup(path);\n"),
]

# ---------------------------------------------------------------------------
# The runner.

OUTCOMES = ["caught", "missed", "stale", "no-build", "error", "built"]
CTEST_ARGS = "--stop-on-failure --timeout 120 -j 2 --output-on-failure"
# Generous: a planted fault may hang tests, each bounded by CTest's own timeout.
SUITE_TIMEOUT = 1800

# The suite's environment as scripts/test.sh makes it: Wine settings, a private
# Xvfb, the tests' Wine prefix (build/wineprefix-tests), and both stopped again
# at the end.
TEST_ENV_SCRIPT = r"""
set -uo pipefail
source "$SCRIPTS/wine-env.sh"
unset DISPLAY
source "$SCRIPTS/start-xvfb.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "${TALVORY_XVFB_PID:-}" ] && kill "$TALVORY_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
"$SCRIPTS/prepare-wine.sh" || exit 1
cd "$TALVORY_BUILD_DIR"
"$@"
"""


class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted("signal %d" % signum)


def build_dir():
    configured = os.environ.get("TALVORY_BUILD_DIR")
    return Path(configured).resolve() if configured else ROOT / "build"


def child_env(build):
    env = dict(os.environ)
    env["TALVORY_BUILD_DIR"] = str(build)
    env["SCRIPTS"] = str(SCRIPTS)
    # The tests' own Wine prefix, as scripts/test.sh uses: the runner's
    # "wineserver -k" then never ends a Talvory started by scripts/start.sh.
    env.setdefault("TALVORY_WINEPREFIX", str(build / "wineprefix-tests"))
    return env


def run_logged(command, log_path, env, timeout=None):
    """Runs command (a list) in a session of its own, output to log_path.
    Returns the exit code (None on timeout). On interruption or timeout the
    command's process group is ended, by its id."""
    with open(log_path, "wb") as log:
        process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, env=env, cwd=str(ROOT),
                                   start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            stop_group(process)
            return None
        except BaseException:
            stop_group(process)
            raise


def stop_group(process):
    for sig, wait in ((signal.SIGTERM, 15), (signal.SIGKILL, 5)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


def in_test_env(*command):
    return ["bash", "-c", TEST_ENV_SCRIPT, "plant-faults"] + list(command)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


class Planter:
    """Plants one fault at a time; remembers the original on disk too, so that
    a run killed outright is repaired by the next one."""

    def __init__(self, build):
        self.marker = build / "planted-fault.path"
        self.saved = build / "planted-fault.orig"
        self.path = None
        self.original = None

    def repair_leftover(self):
        if self.marker.exists() and self.saved.exists():
            path = Path(self.marker.read_text().strip())
            write_bytes(path, read_bytes(self.saved))
            print("Put back %s, left planted by an earlier run." % path.relative_to(ROOT), flush=True)
        for f in (self.marker, self.saved):
            if f.exists():
                f.unlink()

    def plant(self, path, original, changed):
        write_bytes(self.saved, original)
        self.marker.write_text(str(path))
        self.path, self.original = path, original
        write_bytes(path, changed)

    def restore(self):
        if self.path is None:
            return
        write_bytes(self.path, self.original)
        self.path = self.original = None
        for f in (self.marker, self.saved):
            if f.exists():
                f.unlink()


def anchor_count(fault):
    path = ROOT / fault.file
    if not path.exists():
        return 0
    return read_bytes(path).count(fault.find.encode("utf-8"))


def first_failure(output):
    """The first test CTest reported as not passed, and how it ended. (A
    failure's line may go on over several lines: it quotes the pass pattern.)"""
    for line in output.splitlines():
        m = re.match(r"\s*\d+/\d+ Test\s+#\d+: (\S+) \.*\s*(.*)$", line)
        if not m:
            continue
        status = m.group(2)
        if status.startswith("Passed"):
            continue
        if "Timeout" in status:
            return m.group(1) + " (timeout)"
        if "Exception" in status:
            return m.group(1) + " (crash)"
        if "Not Run" in status:
            return m.group(1) + " (not run)"
        return m.group(1)
    # Otherwise the closing list, "The following tests FAILED:".
    m = re.search(r"The following tests FAILED:\s*\n\s*\d+ - (\S+) \((.*?)\)", output)
    if m:
        return m.group(1) + ("" if m.group(2) == "Failed" else " (%s)" % m.group(2).lower())
    return None


def line_count(paths):
    total = 0
    for p in paths:
        try:
            total += read_bytes(p).count(b"\n")
        except OSError:
            pass
    return total


def tracked_files(folders, suffixes=None):
    try:
        out = subprocess.run(["git", "ls-files", "--"] + folders, cwd=str(ROOT), capture_output=True,
                             text=True, check=True).stdout.split()
        files = [ROOT / f for f in out]
    except (OSError, subprocess.CalledProcessError):
        files = [p for folder in folders for p in (ROOT / folder).rglob("*") if p.is_file()]
    if suffixes:
        files = [f for f in files if f.suffix in suffixes]
    return files


def git_text(*args):
    try:
        return subprocess.run(["git"] + list(args), cwd=str(ROOT), capture_output=True, text=True,
                              check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return ""


def describe_checkout():
    commit = git_text("rev-parse", "--short", "HEAD") or "unknown"
    changed = git_text("status", "--porcelain", "--untracked-files=no", "--", *FOLDERS, "tests")
    state = "program and tests as committed" if not changed else "program or tests changed since that commit"
    return commit, state


def code_counts():
    tests = line_count(tracked_files(["tests"]))
    program = line_count(tracked_files(FOLDERS, {".cpp", ".h", ".c", ".rc"}))
    return tests, program


class Results:
    def __init__(self, path, header):
        self.path = path
        self.header = header
        self.rows = []

    def add(self, fault, outcome, failing, seconds):
        self.rows.append((fault.id, fault.folder, outcome, failing or "-", "%.0f" % seconds))
        self.write()

    def summary(self):
        lines = []
        totals = {o: 0 for o in OUTCOMES}
        for folder in FOLDERS:
            counts = {o: 0 for o in OUTCOMES}
            for row in self.rows:
                if row[1] == folder:
                    counts[row[2]] += 1
            if not any(counts.values()):
                continue
            for o in OUTCOMES:
                totals[o] += counts[o]
            lines.append(folder.ljust(10) + "  ".join("%s %d" % (o, counts[o]) for o in OUTCOMES if counts[o] or
                                                       o in ("caught", "missed", "stale")))
        lines.append("total".ljust(10) + "  ".join("%s %d" % (o, totals[o]) for o in OUTCOMES if totals[o] or
                                                     o in ("caught", "missed", "stale")))
        return lines

    def write(self, footer=()):
        widths = [max([len(h) for h in heads] + [len(r[i]) for r in self.rows])
                  for i, heads in enumerate((["id"], ["folder"], ["outcome"], ["first failing test"],
                                             ["seconds"]))]
        titles = ("id", "folder", "outcome", "first failing test", "seconds")
        text = ["# " + h for h in self.header]
        text.append("")
        text.append("  ".join(t.ljust(w) for t, w in zip(titles, widths)).rstrip())
        for row in self.rows:
            text.append("  ".join(c.ljust(w) for c, w in zip(row, widths)).rstrip())
        text.append("")
        text.extend("# " + line for line in self.summary())
        text.extend("# " + line for line in footer)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        self.path.write_text("\n".join(text) + "\n")


def select_faults(args):
    faults = FAULTS
    if args.only:
        wanted = [w.strip() for w in args.only.split(",") if w.strip()]
        known = {f.id for f in FAULTS}
        unknown = [w for w in wanted if w not in known]
        if unknown:
            sys.exit("Unknown fault id(s): " + ", ".join(unknown))
        faults = [f for f in faults if f.id in wanted]
    if args.folder:
        folders = [w.strip().rstrip("/") for w in args.folder.split(",")]
        unknown = [w for w in folders if w not in FOLDERS]
        if unknown:
            sys.exit("Unknown folder(s): %s (known: %s)" % (", ".join(unknown), ", ".join(FOLDERS)))
        faults = [f for f in faults if f.folder in folders]
    return faults


def check_table():
    ids = [f.id for f in FAULTS]
    duplicates = sorted({i for i in ids if ids.count(i) > 1})
    if duplicates:
        sys.exit("Duplicate fault ids: " + ", ".join(duplicates))
    for f in FAULTS:
        if f.folder not in FOLDERS:
            sys.exit("Fault %s: unknown folder %s" % (f.id, f.folder))
        if f.find == f.replace:
            sys.exit("Fault %s changes nothing" % f.id)


def list_faults(faults):
    for f in faults:
        count = anchor_count(f)
        mark = "" if count == 1 else "  [stale: find text occurs %d times]" % count
        print("%-36s %-9s %s%s\n    %s" % (f.id, f.folder, f.file, mark, f.description))
    print("\n%d faults" % len(faults))


def main():
    parser = argparse.ArgumentParser(description="Plant known faults one at a time and run the test suite "
                                                 "against each.")
    parser.add_argument("--list", action="store_true", help="list the faults and exit")
    parser.add_argument("--only", metavar="ID[,ID...]", help="run only these faults")
    parser.add_argument("--folder", metavar="F[,F...]", help="run only the faults of these program folders")
    parser.add_argument("--results", metavar="FILE", help="results table (default: BUILD/planted-faults.txt)")
    parser.add_argument("--check", action="store_true",
                        help="plant and build each fault without running the tests (finds stale and "
                             "no-build entries)")
    args = parser.parse_args()

    check_table()
    faults = select_faults(args)
    if args.list:
        list_faults(faults)
        return 0
    if not faults:
        sys.exit("No fault selected.")

    build = build_dir()
    env = child_env(build)
    if not (build / "CMakeCache.txt").exists():
        print("No build in %s: running scripts/build.sh first." % build, flush=True)
        if subprocess.call([str(SCRIPTS / "build.sh")], env=env, cwd=str(ROOT)) != 0:
            sys.exit("scripts/build.sh failed.")
    logs = build / "planted-faults-logs"
    logs.mkdir(parents=True, exist_ok=True)
    results_path = Path(args.results).resolve() if args.results else build / "planted-faults.txt"

    lock = open(build / "planted-faults.lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit("Another plant-faults run is using %s." % build)

    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)

    planter = Planter(build)
    planter.repair_leftover()

    started = time.time()
    commit, state = describe_checkout()
    test_lines, program_lines = code_counts()
    header = [
        "Planted faults against the Talvory test suite (scripts/plant-faults.py)",
        "date: %s   commit: %s (%s)" % (datetime.date.today().isoformat(), commit, state),
        "test code: %d lines in tests/; program code: %d lines (.cpp .h .c .rc in %s)"
        % (test_lines, program_lines, ", ".join(f + "/" for f in FOLDERS)),
        "each fault: planted alone, built, then ctest %s as scripts/test.sh runs it" % CTEST_ARGS,
    ]
    if args.check:
        header.append("--check run: built only, no tests run")
    results = Results(results_path, header)

    if not args.check:
        # The suite's size, and a first look that the environment works.
        rc = run_logged(in_test_env("ctest", "-N"), logs / "ctest-N.log", env, timeout=600)
        listed = re.search(r"Total Tests: (\d+)", (logs / "ctest-N.log").read_text(errors="replace"))
        if rc != 0 or not listed:
            sys.exit("ctest -N failed in the test environment; see %s" % (logs / "ctest-N.log"))
        header.insert(3, "tests in the suite: %s (ctest -N)" % listed.group(1))

    interrupted = None
    try:
        for number, fault in enumerate(faults, 1):
            t0 = time.time()
            prefix = "[%d/%d] %s" % (number, len(faults), fault.id)
            print(prefix + " ...", end=" ", flush=True)
            path = ROOT / fault.file
            original = read_bytes(path) if path.exists() else b""
            count = original.count(fault.find.encode("utf-8"))
            if count != 1:
                results.add(fault, "stale", "find text occurs %d times" % count, time.time() - t0)
                print("stale (find text occurs %d times in %s)" % (count, fault.file), flush=True)
                continue
            changed = original.replace(fault.find.encode("utf-8"), fault.replace.encode("utf-8"), 1)
            try:
                planter.plant(path, original, changed)
                build_log = logs / (fault.id + ".build.log")
                rc = run_logged(["cmake", "--build", str(build), "-j2"], build_log, env, timeout=1800)
                if rc != 0:
                    results.add(fault, "no-build", "see " + build_log.name, time.time() - t0)
                    print("no-build (%s)" % build_log, flush=True)
                    continue
                if args.check:
                    results.add(fault, "built", None, time.time() - t0)
                    print("builds", flush=True)
                    continue
                test_log = logs / (fault.id + ".test.log")
                rc = run_logged(in_test_env(*(["ctest"] + CTEST_ARGS.split())), test_log, env,
                                timeout=SUITE_TIMEOUT)
                output = test_log.read_text(errors="replace")
                failing = first_failure(output)
                if rc == 0:
                    outcome, failing = "missed", None
                elif failing:
                    outcome = "caught"
                else:
                    outcome = "error"
                    failing = "ctest ended with %s; see %s" % ("a timeout" if rc is None else "code %d" % rc,
                                                                test_log.name)
            finally:
                planter.restore()
            results.add(fault, outcome, failing, time.time() - t0)
            print(outcome + (" by " + failing if outcome == "caught" else "") +
                  " (%.0f s)" % (time.time() - t0), flush=True)
    except (Interrupted, KeyboardInterrupt) as e:
        interrupted = e
        print("\nInterrupted: the planted file is back; rebuilding.", flush=True)
    finally:
        planter.restore()
        # Ignore further signals while the build is brought back in line.
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, signal.SIG_IGN)
        rc = run_logged(["cmake", "--build", str(build), "-j2"], logs / "final.build.log", env, timeout=1800)
        if rc != 0:
            print("The final rebuild failed; see %s" % (logs / "final.build.log"), flush=True)
        lock.close()

    elapsed = time.time() - started
    footer = ["run time: %d min %02d s%s" % (elapsed // 60, elapsed % 60,
                                              " (interrupted)" if interrupted else "")]
    results.write(footer)
    print()
    for line in results.summary() + footer:
        print(line)
    print("Results: %s\nLogs: %s" % (results_path, logs))
    return 130 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
