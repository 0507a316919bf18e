#pragma once
// The fixed reference rows of the demo database (countries' states, municipalities and their
// neighbourhoods, lines of business, branches) and the word lists that generated clients are made
// of. Names carry their accents, so sorting and searching meet them as real data does.
#include <QString>
#include <utility>
#include <vector>

namespace SampleTables {

struct Municipality {
    QString country, state, code, name;
    std::vector<std::pair<QString, QString>> neighbourhoods; // code, name
    bool registered = true;
};

struct Activity {
    QString code, tree, description;
};

// Country code of Brazil.
extern const QString kBrasil;
const std::vector<Municipality>& municipalities();
extern const std::vector<std::pair<QString, QString>> kStates; // code, name
extern const std::vector<Activity> kActivities;
// The activities a client may have (those without sub-activities).
extern const std::vector<QString> kLeafActivities;
extern const std::vector<std::pair<QString, QString>> kBranches; // code, name

extern const std::vector<QString> kFirstNames;
extern const std::vector<QString> kSurnames;
extern const std::vector<QString> kCompanyCores;
extern const std::vector<QString> kCompanyKinds;
extern const std::vector<QString> kCompanySuffixes;
// Bodies that are neither people nor companies (type 'O').
extern const std::vector<QString> kOthers;
extern const std::vector<QString> kStreets;

} // namespace SampleTables
