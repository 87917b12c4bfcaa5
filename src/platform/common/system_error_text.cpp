#include "platform/common/system_error_text.h"

#include <cerrno>

namespace marlovex {

std::string systemErrorText(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return "die Datei oder das Verzeichnis existiert nicht";
    case EACCES:
        return "keine Zugriffsberechtigung";
    case EPERM:
        return "der Vorgang ist nicht erlaubt";
    case ENOSPC:
        return "auf dem Datenträger ist kein Platz mehr frei";
    case EDQUOT:
        return "das Speicherkontingent auf dem Datenträger ist erschöpft";
    case EROFS:
        return "der Datenträger ist schreibgeschützt";
    case EEXIST:
        return "die Datei existiert bereits";
    case ENOTDIR:
        return "ein Teil des Pfades ist kein Verzeichnis";
    case EISDIR:
        return "der Pfad ist ein Verzeichnis";
    case ENOTEMPTY:
        return "das Verzeichnis ist nicht leer";
    case EAGAIN: // the same number as EWOULDBLOCK
        return "die Datei ist vorübergehend nicht verfügbar";
    case EBUSY:
        return "die Datei oder das Gerät ist belegt";
    case EIO:
        return "Ein-/Ausgabefehler beim Zugriff auf den Datenträger";
    case ENAMETOOLONG:
        return "der Dateiname ist zu lang";
    case ELOOP:
        return "zu viele symbolische Verknüpfungen im Pfad";
    case EMFILE:
        return "das Programm hat zu viele Dateien geöffnet";
    case ENFILE:
        return "im System sind zu viele Dateien geöffnet";
    case EXDEV:
        return "die Datei kann nicht auf ein anderes Dateisystem verschoben werden";
    case EFBIG:
        return "die Datei ist zu groß";
    case ENOLCK:
        return "es sind keine Dateisperren mehr verfügbar";
    case ESTALE:
        return "die Datei auf dem Netzlaufwerk ist nicht mehr gültig";
    case ENOMEM:
        return "nicht genügend Arbeitsspeicher";
    case EINVAL:
        return "ungültiges Argument";
    default:
        return "Systemfehler " + std::to_string(errorNumber);
    }
}

std::string systemErrorText(const std::error_code& error) {
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        return systemErrorText(error.value());
    }
    return error.message();
}

} // namespace marlovex
