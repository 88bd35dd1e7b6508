#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QVector>

class Player;
class WaveOutput;

// Plays the terminal's sounds: the UI asks by a short key, the key maps to a file under
// "sounds". ".wav" files go to the platform's sound facility, anything else to the
// external player process.
class SoundManager : public QObject
{
    Q_OBJECT
public:
    // Ordered key → file path pairs, paths relative to the working directory.
    using Table = QVector<QPair<QString, QString>>;

    explicit SoundManager(QObject *parent = nullptr);
    // Takes ownership of player and waveOutput.
    SoundManager(const Table &table,
                 Player *player,
                 WaveOutput *waveOutput,
                 QObject *parent = nullptr);

    // The terminal's key table, in the order of insertion.
    static Table standardTable();

    // The file of key, or an empty string for a key without an entry.
    QString getFilePath(const QString &key) const;
    // The key of an entrance's confirmation: "p_" + the type's abbreviation + "-0-" + 1 for an
    // arrival, 0 for a departure (any direction but 1).
    static QString entranceKey(const QString &abbreviation, uint direction);

public slots:
    void play(const QString &key, bool setVolume);
    void play(const QString &key);
    // Confirms an entrance; a type without a sound of its own plays nothing.
    void playEntrance(const QString &abbreviation, uint direction);
    void setVolume(int volume);
    void setMute(bool muted);
    void onPlayerStart();
    void onPlayerStop();

private:
    QHash<QString, QString> mFiles;
    Player *mPlayer;
    WaveOutput *mWaveOutput;
    int mVolume = 0;
    bool mMuted = false;
    bool mPlayerRunning = false;
    QString mOldFile;
};
