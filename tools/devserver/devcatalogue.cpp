#include "devserver/devcatalogue.h"

DevCatalogue::DevCatalogue(DevDatabase &db)
    : mInters(db,
              { QStringLiteral("inters"),
                { QStringLiteral("id") },
                { "name", "shortcut", "color", "start", "stop", "weight" },
                {},
                false })
    , mPeople(db,
              { QStringLiteral("people"),
                { QStringLiteral("uid") },
                { "pid",
                  "name",
                  "surname",
                  "title",
                  "title2",
                  "card",
                  "admin",
                  "access",
                  "saldo",
                  "present",
                  "grp" },
                { { "saldo", "saldo_seq" }, { "present", "present_seq" }, { "grp", "grp_seq" } },
                true })
    , mZones(db,
             { QStringLiteral("zones"),
               { QStringLiteral("id") },
               { "days", "from_time", "to_time", "status" },
               {},
               false })
    , mPzt(db,
           { QStringLiteral("pzt"),
             { QStringLiteral("zid"), QStringLiteral("uid") },
             {},
             {},
             false })
{
}
