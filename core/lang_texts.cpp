#include "core/lang_texts.h"

#include "core/lang.h"

namespace {

// In the order of ui_text.
const ui_text_forms texts[] = {
    {u"Devices", u"Ger\u00e4te"},
    {u"Browser", u"Dateien"},
    {u"Java Apps", u"Java-Spiele"},
    {u"Specials", u"Extras"},
    {u"Auto Connect", u"Verbinden"},
    {u"Devices:", u"Ger\u00e4te:"},
    {u"Properties:", u"Eigenschaften:"},
    {u"Not connected", u"Nicht verbunden"},
    {u"Manufacturer: ", u"Hersteller: "},
    {u"Model: ", u"Modell: "},
    {u"Serial number: ", u"Seriennummer: "},
    {u"Product name: ", u"Produktname: "},
    {u"Firmware: ", u"Firmware: "},
    {u"Battery: ", u"Akku: "},
    {u"Phone number: ", u"Telefonnummer: "},
    {u"Folder:", u"Ordner:"},
    {u"Files:", u"Dateien:"},
    {u"Size", u"Gr\u00f6\u00dfe"},
    {u"Copy...", u"Kopieren..."},
    {u"Delete", u"L\u00f6schen"},
    {u"Refresh", u"Aktualisieren"},
    {u"Destination Folder:", u"Zielverzeichnis:"},
    {u"Delete {} from the phone?", u"{} vom Telefon l\u00f6schen?"},
    {u"Delete {} files from the phone?", u"{} Dateien vom Telefon l\u00f6schen?"},
    {u"Profiles (read-only):", u"Profile (nur lesen):"},
    {u"Touch (read-only):", u"Touch (nur lesen):"},
    {u"Menu:", u"Men\u00fc:"},
    {u"Save", u"Speichern"},
    {u"Copying {}", u"kopiere {}"},
    {u"Cancel", u"Abbrechen"},
    {u"{} \u2014 {} of {}", u"{} \u2014 {} von {}"},
    {u"{}/s, {} left", u"{}/s, noch {}"},
    {u"{} file", u"{} Datei"},
    {u"{} files", u"{} Dateien"},
    {u"{} games", u"{} Spiele"},
    {u"Copied {} ({}) in {} s", u"{} kopiert ({}) in {} s"},
    {u"Uploaded {} ({}) in {} s", u"{} \u00fcbertragen ({}) in {} s"},
    {u"Deleted {}", u"{} gel\u00f6scht"},
    {u"Made folder {}", u"Ordner {} angelegt"},
    {u"Saved {}", u"{} gespeichert"},
    {u"Installed {}", u"{} installiert"},
    {u"{} of {} failed: {}", u"{} von {} fehlgeschlagen: {}"},
    {u"{} of {} cancelled", u"{} von {} abgebrochen"},
    {u" (and {} more)", u" (und {} weitere)"},
    {u"; {} skipped", u"; {} \u00fcbersprungen"},
    {u" \u2014 click for the list", u" \u2014 Klick zeigt die Liste"},
    {u"Problems", u"Probleme"},
    {u"Copy", u"Kopieren"},
    {u"Upload", u"\u00dcbertragen"},
    {u"Delete", u"L\u00f6schen"},
    {u"New folder", u"Anlegen"},
    {u"Save", u"Speichern"},
    {u"Install", u"Installieren"},
    {u"Listing", u"Auflisten"},
    {u"Reading", u"Lesen"},
    {u"Query", u"Abfrage"},
    {u"New Folder", u"Neuer Ordner"},
    {u"\u2026 and {} more", u"\u2026 und {} weitere"},
    {u"Unsaved changes", u"Nicht gespeichert"},
    {u"The menu has changes that are not saved. Close anyway?",
     u"Das Men\u00fc hat ungespeicherte \u00c4nderungen. Trotzdem schlie\u00dfen?"},
    {u"The menu has changes that are not saved. Connecting reads it again. Connect anyway?",
     u"Das Men\u00fc hat ungespeicherte \u00c4nderungen. Beim Verbinden wird es neu gelesen. "
     u"Trotzdem verbinden?"},
    {u"{} - files, games and settings of your Wave - free software, MIT licence",
     u"{} - Dateien, Spiele und Einstellungen Ihres Wave - freie Software, MIT-Lizenz"},
    {u"Connecting to {} \u2026", u"Verbinde mit {} \u2026"},
    {u"Connected to {}", u"Verbunden mit {}"},
    {u"No phone answered on {}", u"Kein Telefon antwortete an {}"},
    {u"{} did not open", u"{} lie\u00df sich nicht \u00f6ffnen"},
    {u"Connection to {} lost", u"Verbindung zu {} verloren"},
    {u"No port to connect to", u"Kein Anschluss zum Verbinden"},
};
static_assert(sizeof texts / sizeof texts[0] == ui_text_count, "one entry per key");

} // namespace

ui_text_forms uiTextForms(ui_text key) {
    const int i = static_cast<int>(key);
    if (i < 0 || i >= ui_text_count)
        return {u"", u""};
    return texts[i];
}

const char16_t* uiText(ui_text key) {
    const ui_text_forms forms = uiTextForms(key);
    return langText(forms.english, forms.german, lang_german);
}

str uiTextWith(ui_text key, const str& value) {
    const str pattern(uiText(key));
    const int at = pattern.find(u"{}");
    if (at < 0)
        return pattern;
    str out(pattern.substr(0, at));
    out.append(value);
    out.append(str(pattern.substr(at + 2)));
    return out;
}

str uiTextWith(ui_text key, std::initializer_list<str> values) {
    const str pattern(uiText(key));
    str out;
    int from = 0;
    for (const str& value : values) {
        const int at = pattern.find(u"{}", from);
        if (at < 0)
            break;
        out.append(str(pattern.substr(from, at - from)));
        out.append(value);
        from = at + 2;
    }
    out.append(str(pattern.substr(from)));
    return out;
}
