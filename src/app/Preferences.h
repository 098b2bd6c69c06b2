#pragma once

#include "app/ChoicesFile.h"

#include <QObject>
#include <QSettings>
#include <QString>

#include <optional>

namespace pintora {

class EditorDocument;

// The tools, colours and widths the toolbar offers.
Offered toolbarOffer();

// What the user chose last — the tool, colour, width and fill, the save
// folder and format — kept in ~/.config/pintora/pintora.conf and given to
// every new editor, in this run and the next. A file that cannot be used
// gives the defaults and one warning line.
class Preferences : public QObject
{
    Q_OBJECT

public:
    // `path` empty: the desktop's usual place.
    explicit Preferences(const QString &path = {}, QObject *parent = nullptr);

    static QString defaultPath();

    // The remembered style on a new editor's document; then every choice
    // made in it is remembered.
    void applyTo(EditorDocument &document);

    const Choices &choices() const { return m_choices; }
    void setSaveFolder(const QString &folder);
    void setSaveFormat(const QString &format);

private:
    void remember(const EditorDocument &document);
    void store(const char *key, QString &field, const QString &value);

    QString m_path;
    // Made once the file is known to be one: opening a FIFO would wait.
    std::optional<QSettings> m_settings;
    Choices m_choices;
    bool m_writeFailed = false; // said once
    bool m_unsound = false; // the file held what could not be used: written afresh
};

} // namespace pintora
