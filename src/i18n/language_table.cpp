#include "i18n/language_table.h"

namespace morvel {

namespace {

// Group, key and German default of every text, in table order (the order of enum Text).
constexpr std::array<TextEntry, kTextCount> kEntries{{
    {"MainMenu", "project", "&Projekt"},
    {"MainMenu", "new", "Neu\tStrg+N"},
    {"MainMenu", "open", "Öffnen ...\tStrg+O"},
    {"MainMenu", "save", "Speichern\tStrg+S"},
    {"MainMenu", "saveas", "Speichern als ..."},
    {"MainMenu", "export", "Exportieren"},
    {"MainMenu", "imageexport", "Als Bilder ..."},
    {"MainMenu", "aviexport", "Als AVI-Video ..."},
    {"MainMenu", "quit", "Beenden\tAlt+F4"},
    {"MainMenu", "edit", "&Bearbeiten"},
    {"MainMenu", "undo", "Rückgängig\tStrg+Z"},
    {"MainMenu", "redo", "Wiederherstellen\tStrg+Y"},
    {"MainMenu", "options", "&Einstellungen"},
    {"MainMenu", "language", "Sprache"},
    {"MainMenu", "openmvl", "MVL-Dateien mit Morvel öffnen"},
    {"MainMenu", "help", "&Hilfe"},
    {"MainMenu", "tutorial", "Tutorial (morvel.example.org)"},
    {"MainMenu", "about", "Über ..."},
    {"PopUpMenu", "delete", "Löschen\tStrg+Entf"},
    {"PopUpMenu", "repeat", "Wiederholen\tStrg+R"},
    {"Tools", "zoom", "Zoomen"},
    {"Tools", "eraser", "Radiergummi"},
    {"Tools", "deraser", "Anti-Radiergummi"},
    {"Tools", "selecter", "Auswahl"},
    {"Tools", "mover", "Maske bewegen"},
    {"Settings", "size", "Pinselgröße"},
    {"Settings", "transparency", "Transparenz"},
    {"Settings", "zoomin", "Vergrößern"},
    {"Settings", "zoomout", "Verkleinern"},
    {"Settings", "zoomfit", "Ganzes Bild"},
    {"Settings", "zoom1to1", "1:1"},
    {"Else", "layersdescription", "Hierhin können Bilddateien gezogen werden"},
    {"Else", "newtitle", "*Neu*"},
    {"Else", "mvldescription", "Ein Morvel-Projekt"},
    {"Else", "standardprojectname", "Projekt.mvl"},
    {"Else", "tutoriallink", "https://morvel.example.org/tutorial"},
    {"Errors", "createimage",
     "Ein Bild konnte nicht erstellt werden.$$$Eventuell ist ihr Arbeitsspeicher voll."},
    {"Errors", "loadimage",
     "Das Bild '$FILE' konnte nicht geladen werden.$$$Überprüfen Sie ob sie es eventuell "
     "verschoben oder gelöscht haben."},
    {"Errors", "saveimage",
     "Das Bild '$FILE' konnte nicht gespeichert werden.$$$Überprüfen Sie ob genügend Speicherplatz "
     "zur Verfügung steht."},
    {"Errors", "copyimage",
     "Das Bild '$FILE1' konnte nicht nach '$FILE2' kopiert werden.$$$Überprüfen Sie ob genügend "
     "Speicherplatz zur Verfügung steht oder ob sie das Ursprungsbild eventuell veschoben oder "
     "gelöscht haben."},
    {"Errors", "loadmask", "Die Maske Nr. $NR konnte nicht geladen werden."},
    {"Errors", "loadproject",
     "Das Projekt '$FILE' konnte nicht geladen werden.$$$Überprüfen sie ob es sich tatsächlich um "
     "eine korrekte Morvel-Projektdatei handelt."},
    {"Errors", "saveproject", "Das Projekt '$FILE' konnte nicht gespeichert werden."},
    {"Errors", "window", "Das Programm-Fenster konnte nicht geöffnet werden."},
    {"Errors", "initaviexport", "Das AVI-Speichermodul konnte nicht geöffnet werden."},
    {"Errors", "useaviexport",
     "Bei der Verwendung des AVI-Speichermoduls ist ein Fehler aufgetreten."},
    {"Errors", "onlyone",
     "Das Programm wurde bereits gestartet.$$$Es kann immer nur eine Instanz von Morvel laufen."},
    {"Errors", "title", "Fehler !"},
    {"SaveWindow", "title", "Projekt speichern"},
    {"SaveWindow", "maskdescription",
     "Folgende Texte werden ersetzt:  '$Project' = Projektname  ;  '$Nr' = Nummer des Bildes im "
     "Projekt"},
    {"SaveWindow", "layerdescription",
     "Folgende Texte werden ersetzt:  '$Project' = Projektname  ;  '$Nr' = Nummer des Bildes im "
     "Projekt  ;  '$Layer' = Ebene '1' oder '2'"},
    {"SaveWindow", "project", "Projekt:"},
    {"SaveWindow", "masks", "Masken:"},
    {"SaveWindow", "frames", "Frames:"},
    {"SaveWindow", "savein", "Speichern in:"},
    {"SaveWindow", "name", "Titel:"},
    {"SaveWindow", "author", "Autor:"},
    {"SaveWindow", "comment", "Beschreibung:"},
    {"SaveWindow", "save", "Speichern"},
    {"SaveWindow", "abbort", "Abbrechen"},
    {"SaveWindow", "folderup", "Übergeordnetes Verzeichnis"},
    {"SaveWindow", "changeview", "Ansicht ändern"},
    {"SaveWindow", "ok", "OK"},
    {"Requester", "savetitle", "Speichern ?"},
    {"Requester", "savetext", "Wollen sie das aktuelle Projekt vorher speichern?"},
    {"Requester", "opentitle", "Projekt öffnen"},
    {"Requester", "opentext", "Morvel-Projekte|*.mvl|Alle Dateien|*.*"},
    {"Requester", "imageexporttitle", "Bilder speichern"},
    {"Requester", "aviexporttitle", "AVI-Video speichern"},
    {"Requester", "imageexporttext",
     "Bitmaps (*.bmp)|*.bmp|PNG-Bilder (*.png)|*.png|JPEG-Bilder (*.jpg)|*.jpg;*.jpeg"},
    {"Requester", "aviexporttext", "AVI-Videos (*.avi)|*.avi"},
    {"Requester", "aviframerate", "Bildrate ?"},
    {"Requester", "aviframeratetext",
     "Geben sie an wie viele Bilder pro Sekunde (FPS) das Video abspielen soll (1 bis 60)."},
    // Playback
    {"MainMenu", "play", "Abspielen\tLeertaste"},
    {"MainMenu", "playbackrate", "Bildrate ..."},
    {"Requester", "playbackrate", "Bildrate ?"},
    {"Requester", "playbackratetext",
     "Geben sie an wie viele Bilder pro Sekunde (FPS) der Film abspielen soll (1 bis 60)."},
    {"MainMenu", "onionskin", "Zwiebelhaut\tO"},
    // Mask views and brush
    {"MainMenu", "view", "&Ansicht"},
    {"MainMenu", "viewlayer1", "Ebene 1\t1"},
    {"MainMenu", "viewlayer2", "Ebene 2\t2"},
    {"MainMenu", "viewresult", "Ergebnis\t3"},
    {"MainMenu", "showmask", "Maske zeigen\tM"},
    {"Settings", "hardness", "Härte"},
    {"Settings", "hardnesstip", "Härte der Pinselkante: 100 hart, kleiner weicher"},
    // Installation
    {"Progress", "file", "Datei $K von $N: $FILE"},
    {"Progress", "videoframe", "Videobild $K von $N: $FILE"},
    {"Progress", "cancel", "Abbrechen"},
    {"About", "notices",
     "Morvel wird offiziell nur auf seiner Projektseite$$$zum Herunterladen angeboten. Andere "
     "Download-Seiten$$$brauchen dafür die Erlaubnis des Autors.$$$$$$Die Benutzung geschieht auf "
     "eigene Gefahr. Für Schäden$$$an Daten oder Geräten wird keine Haftung übernommen;$$$es "
     "gelten die Bedingungen der Datei copyright.$$$$$$Vorschläge und Fehlerberichte bitte mit "
     "der Version$$$und dem ErrorCode der Meldung an den Autor. Neue$$$Sprachdateien (*.language) "
     "teilen wir gerne mit allen.$$$$$$Dank an alle, die Morvel getestet und übersetzt "
     "haben,$$$und an die Autoren von libpng, libjpeg, libtiff, zlib,$$$FFmpeg und Qt; Lizenzen: "
     "Datei copyright des Pakets."},
    {"FrameCopies", "none", "Nicht speichern"},
    {"Language", "locale", "de"},
    // Session recovery
    {"Requester", "sessiontitle", "Morvel"},
    {"Requester", "recoversession",
     "Die letzte Sitzung wurde nicht ordnungsgemäß beendet. Wiederherstellen?"},
    {"Requester", "damagedsession",
     "Die letzte Sitzung konnte nicht wiederhergestellt werden. Ihre Dateien liegen in '$FILE'."},
    {"Requester", "framecopiescollide",
     "Die Bildvorlage gibt zwei verschiedenen Bildern denselben Dateinamen. Es wurde nichts "
     "gespeichert. Bitte wählen Sie eine Vorlage mit $Nr und $Layer."},
    {"Requester", "missingpictures", "$NR Bilder fehlen. Ordner suchen?"},
    {"Requester", "searchfolder", "Ordner mit den fehlenden Bildern"},
    {"Requester", "cutshort",
     "Die Projektdatei ist unvollständig: nur $NR Bilder konnten gelesen werden."},
    // Pictures past the size cap
    {"Errors", "largeimage",
     "Das Bild '$FILE' ist zu groß, um geladen zu werden.$$$Ein Bild darf höchstens 65535 Pixel "
     "breit und hoch sein und höchstens 268 Millionen Pixel haben."},
    // Whole frames
    {"MainMenu", "deleteframe", "Bild löschen\tUmschalt+Entf"},
    {"MainMenu", "duplicateframe", "Bild verdoppeln\tStrg+D"},
    {"MainMenu", "insertframe", "Leeres Bild einfügen\tStrg+I"},
    // Session files that are damaged or cannot be written
    {"Errors", "partsession",
     "Die letzte Sitzung war beschädigt. Wiederhergestellt wurden $W von $H Bildern und $NR "
     "Maskenänderungen; was an den beschädigten Stellen stand, ließ sich nicht lesen.$$$Die "
     "Dateien der Sitzung bleiben in '$FILE'."},
    {"Errors", "sessionwrite",
     "Die Sitzungsdateien in '$FILE' können nicht geschrieben werden (Datenträger voll oder "
     "schreibgeschützt?).$$$Änderungen ab jetzt sind nicht gegen einen Absturz geschützt. Sie "
     "können weiterarbeiten und das Projekt speichern."},
    {"Errors", "nosession",
     "Im Ordner '$FILE' kann keine Sitzung angelegt werden (fehlt er oder ist er "
     "schreibgeschützt?).$$$Der Absturzschutz ist ausgeschaltet: nach einem Absturz lässt sich "
     "nichts wiederherstellen."},
    {"Errors", "recoverwrite",
     "Die wiederhergestellte Sitzung konnte nicht vollständig geschrieben werden (Datenträger "
     "voll?).$$$Die abgestürzte Sitzung bleibt unverändert in '$FILE' und wird beim nächsten Start "
     "wieder angeboten."},
    // Pictures found again by their shoot, not by their names alone
    {"Requester", "chooseshoot",
     "Bilder mit den Namen von $NR fehlenden Bildern aus '$FILE' liegen in diesen Ordnern. Nur "
     "die Namen stimmen überein, und Kameras geben jeder Karte dieselben Namen: Welcher Ordner "
     "hält die Aufnahmen dieses Films?"},
    {"Requester", "relinked", "Fehlende Bilder wurden wiedergefunden:"},
    // Carried masks
    {"MainMenu", "carrymask", "Maske übernehmen\tStrg+M"},
    {"MainMenu", "carrymasks", "Masken weiterführen ..."},
    {"Requester", "carrytitle", "Maske übernehmen"},
    {"Requester", "carrynolayer1",
     "Dieses Bild und das Bild davor brauchen ein Bild in Ebene 1, damit die Maske der Bewegung "
     "folgen kann. Es wurde nichts geändert."},
    {"Requester", "carrynomask",
     "Das Bild davor hat keine Maske, die übernommen werden könnte. Es wurde nichts geändert."},
    {"Requester", "carrymaskstitle", "Masken weiterführen"},
    {"Requester", "carrylast", "Bis Bild"},
    {"Requester", "carryflow", "Der Bewegung folgen"},
    {"Requester", "carryshift", "Nur verschieben"},
    {"Requester", "carrylimit", "Nur wo Ebene 1 und Ebene 2 sich unterscheiden"},
    {"Requester", "carryhasmask", "Bild $NR hat schon eine Maske."},
    {"Requester", "carryreplace", "Ersetzen"},
    {"Requester", "carryskip", "Überspringen"},
    {"Requester", "carryreplaceall", "Alle ersetzen"},
    {"Requester", "carryprogress", "Maske für Bild $NR ($W von $H)"},
    // Shooting
    {"MainMenu", "shooting", "&Aufnahme"},
    {"MainMenu", "choosecamera", "Kamera wählen ..."},
    {"MainMenu", "liveview", "Live-Bild\tL"},
    {"MainMenu", "capturelayer1", "Ebene 1 aufnehmen\tEingabe"},
    {"MainMenu", "capturelayer2", "Ebene 2 aufnehmen\tUmschalt+Eingabe"},
    {"MainMenu", "playlast", "Letzte Bilder abspielen\tK"},
    {"MainMenu", "shootingsettings", "Aufnahme-Einstellungen ..."},
    {"MainMenu", "difference", "Unterschied zum Live-Bild\tD"},
    {"Requester", "cameratitle", "Kamera wählen"},
    {"Requester", "cameratext", "Nummer oder Adresse der Kamera:$$$$LIST"},
    {"Requester", "shootingtitle", "Aufnahme-Einstellungen"},
    {"Requester", "capturefolder", "Ordner der Aufnahmen"},
    {"Requester", "capturetemplate", "Dateinamen der Aufnahmen ($Nr, $Project und $Layer werden ersetzt):"},
    {"Requester", "lastframes", "Wie viele Bilder spielt \"Letzte Bilder abspielen\" vor dem Live-Bild (1 bis 50)?"},
    {"Requester", "onionopacity", "Deckkraft der Zwiebelhaut über dem Live-Bild (0 bis 100):"},
    {"Requester", "cleanplate", "Die letzte Ebene 2 (Clean Plate) für die folgenden Bilder behalten?"},
    {"Errors", "cameraopen", "Die Kamera '$FILE' kann nicht geöffnet werden."},
    {"Errors", "notcamera", "'$FILE' ist keine Kamera, die Bilder liefert."},
    {"Errors", "cameraformat", "Die Bilder der Kamera '$FILE' haben ein Format, das Morvel nicht lesen kann."},
    {"Errors", "cameragone", "Die Kamera ist nicht mehr erreichbar; das Live-Bild ist beendet.$$$($FILE)$$$Alle Aufnahmen bis hierher sind gespeichert."},
    {"Errors", "camerabusy", "Die Kamera ist noch mit der letzten Aufnahme beschäftigt; diese Aufnahme wurde nicht gemacht."},
    {"Errors", "capturefailed", "Die Aufnahme ist fehlgeschlagen; es wurde kein Bild angelegt.$$$($FILE)"},
    {"Errors", "capturetimeout", "Die Kamera hat in 10 Sekunden kein Bild geliefert; es wurde kein Bild angelegt."},
    {"Errors", "capturewrite", "Die Aufnahme kann nicht nach '$FILE' geschrieben werden (Ordner schreibgeschützt oder voll?); es wurde kein Bild angelegt."},
    {"Errors", "nocamera", "Es ist keine Kamera gewählt (Aufnahme > Kamera wählen)."},
    // Video delivery
    {"MainMenu", "videoexport", "Als Video ..."},
    {"Requester", "videoexporttitle", "Video speichern"},
    {"Requester", "videoexporttext",
     "MP4-Video zum Weitergeben (*.mp4)|*.mp4|MOV-Video für den Schnitt (ProRes) (*.mov)|*.mov"},
    {"Progress", "videoexport", "Video: Bild $K von $N"},
    {"Requester", "videoexportdone", "Das Video '$FILE' ist fertig."},
    // Sound
    {"MainMenu", "loadsound", "Ton laden ..."},
    {"MainMenu", "removesound", "Ton entfernen"},
    {"MainMenu", "soundoffset", "Tonversatz ..."},
    {"MainMenu", "mutesound", "Ton aus\tS"},
    {"Requester", "loadsound", "Ton laden"},
    {"Requester", "loadsoundtext",
     "Tondateien (*.wav *.flac *.mp3 *.ogg *.m4a)|*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.m4a;*.aac;*.aif;*.aiff"},
    {"Requester", "soundoffset", "Tonversatz ?"},
    {"Requester", "soundoffsettext",
     "Bei welchem Bild beginnt der Ton? 0 ist das erste Bild; negativ beginnt der Film so viele Bilder nach dem Anfang des Tons."},
    {"Errors", "loadsound", "Die Tondatei '$FILE1' kann nicht geladen werden:$$$$FILE2"},
    {"Errors", "soundnotsound", "Sie ist keine Tondatei oder kann nicht gelesen werden."},
    {"Errors", "soundnosound", "Sie enthält keinen Ton."},
    {"Errors", "sounddamaged", "Sie ist beschädigt oder unvollständig."},
    {"Errors", "soundempty", "Der Ton ist leer."},
    {"Errors", "soundlayout", "Ihre Kanäle lassen sich nicht zu Stereo mischen."},
    {"Errors", "soundcodec", "Ihr Tonformat kann nicht dekodiert werden."},
    {"Errors", "soundmissing", "Die Datei fehlt. Das Projekt wird ohne Ton geöffnet."},
    {"Else", "soundnodevice", "Kein Audiogerät: der Film spielt ohne Ton."},
    // Project files opened by the program: the answer of the menu item
    {"Else", "associated", "MVL-Dateien öffnen jetzt mit Morvel."},
    {"Else", "notassociated", "MVL-Dateien konnten nicht mit Morvel verbunden werden: $FILE ist nicht beschreibbar."},
    // Exports on a worker
    {"Progress", "exportframe", "Bild $K von $N"},
    {"Progress", "exportframeleft", "Bild $K von $N, noch $TIME"},
    {"Else", "exportdone", "Export fertig: $FILES in $FOLDER"},
    {"Else", "exportnone", "Export beendet: keine Datei geschrieben."},
    {"Else", "exportcancelled", "Export abgebrochen. Geschrieben: $FILES in $FOLDER"},
    {"Else", "exportcancellednone", "Export abgebrochen: keine Datei geschrieben."},
    // A remembered workplace
    {"MainMenu", "recentprojects", "Zuletzt geöffnet"},
    {"MainMenu", "norecentprojects", "(keine)"},
    // Sound, a device lost while the film plays
    {"Else", "soundlost", "Das Audiogerät ist weg: der Film spielt ohne Ton weiter."},
    // Shooting: the camera chooser and the shooting settings' dialog
    {"Requester", "cameralist", "Gefundene Kameras:"},
    {"Requester", "cameranone", "(keine Kamera gefunden)"},
    {"Requester", "cameraurl", "Adresse der Kamera (z. B. gphoto2:, v4l2:/dev/video0, lavfi:testsrc2):"},
    {"Requester", "capturefolderbutton", "Ordner ..."},
    {"Requester", "capturefolderdefault", "neben der Projektdatei"},
    {"Errors", "capturetemplate", "Die Dateinamen der Aufnahmen '$FILE' brauchen $Nr und $Layer, sonst überschreiben sich die Aufnahmen; die bisherigen Dateinamen bleiben."},
    // Films made before pictures were turned upright
    {"Else", "storedorientation",
     "Bilder mit Masken aus der Zeit vor dem Aufrichten gedrehter Fotos bleiben ungedreht."},
}};

}  // namespace

LanguageTable::LanguageTable() {
    resetToDefaults();
}

namespace {

bool sameText(const TextEntry& a, const TextEntry& b) {
    return a.group == b.group && a.key == b.key;
}

}  // namespace

void LanguageTable::resetToDefaults() {
    for (std::size_t i = 0; i < kEntries.size(); ++i)
        m_texts[i] = std::string(kEntries[i].germanDefault);
    for (std::size_t i = 0; i < m_addedEntries.size(); ++i)
        m_addedTexts[i] = std::string(m_addedEntries[i].germanDefault);
}

void LanguageTable::add(const TextEntry& entry) {
    for (const TextEntry& known : kEntries)
        if (sameText(known, entry)) return;
    for (const TextEntry& known : m_addedEntries)
        if (sameText(known, entry)) return;
    m_addedEntries.push_back(entry);
    m_addedTexts.emplace_back(entry.germanDefault);
}

std::string LanguageTable::operator[](const TextEntry& entry) const {
    for (std::size_t i = 0; i < kEntries.size(); ++i)
        if (sameText(kEntries[i], entry)) return m_texts[i];
    for (std::size_t i = 0; i < m_addedEntries.size(); ++i)
        if (sameText(m_addedEntries[i], entry)) return m_addedTexts[i];
    return std::string(entry.germanDefault);
}

const TextEntry& LanguageTable::entry(Text text) {
    return kEntries[index(text)];
}

const std::array<TextEntry, kTextCount>& LanguageTable::entries() {
    return kEntries;
}

}  // namespace morvel
