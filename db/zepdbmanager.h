#pragma once

#include "db/preruseniedata.h"
#include "db/sqlitemanager.h"
#include "db/termdata.h"

#include <QHash>
#include <QList>

// The catalogue database "zep.db": the interruption types and the terminal
// record. Used from the main thread only.
class ZepDBManager : public SQLiteManager
{
    Q_OBJECT

public:
    ZepDBManager(const QString &dbFileName, bool openAtOnce = true, QObject *parent = nullptr);
    ~ZepDBManager() override;

    uint getIntersCount();
    int syncPrerus(const PrerusenieData &data);
    bool delOtherPrerus(const QList<uint> &ids);
    bool delPrerus(uint pid);
    bool delAllInters();
    bool decPrerusOrder(uint pid);
    Q_INVOKABLE bool setPrerusPoradie(uint pid, int poradie);
    QString getColorGroups();
    bool setSyncFlags(uint flags);

    bool deleteTerminal();
    bool checkTerminal(int tid);
    bool saveTerminal(const TermData &data);
    bool loadTerminal(TermData &data);

    // The name of one type, "?" when unknown.
    QString nacitajPrerusenia(uint pid);
    // The enabled types ordered by order value, then id.
    void loadInters(QList<PrerusenieData> &list);
    void loadInters(QHash<uint, PrerusenieData> &hash);

    // Types that are never delivered by the loaders ("global/disInterupts").
    QList<uint> disabledInters() const { return mDisabled; }

public slots:
    bool setColorGroups(const QString &grps);

private:
    // Creates the tables and adds the columns a file lacks; marks the file when it has all.
    void migrate();
    void ensureOpen();
    // Deletes every row of the table and compacts the file; the rows removed, -1 on failure.
    int deleteAllAndVacuum(const QString &table, const char *operation);
    template<typename Add>
    void loadEnabledInters(const char *rowsLine, const char *doneLine, Add add);
    void writeAppLog(const QString &line);

    QList<uint> mDisabled;
};
