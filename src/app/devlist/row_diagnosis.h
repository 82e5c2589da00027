#pragma once
// The device list's look of the address diagnostics: a row whose device has
// an address problem is tinted by its most serious one and says why in its
// tool tip. The diagnoses are the core's, over the whole table, so a new
// device can change the look of rows already shown.
#include "discovery/diagnostics.h"
#include "ui/color_list_model.h"

#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <map>
#include <string>
#include <vector>

// The tint of a problem set (its most serious problem's); invalid when empty.
QColor ProblemTint(AddressProblems problems);
// One line per problem, most serious first, in the current language; the
// further addresses of a MAC that answered twice are named.
QString ProblemReason(AddressProblems problems, const DeviceEntry& entry);

class RowDiagnoses {
public:
    // Diagnoses the table anew; the machine's interfaces are read again
    // when the last reading is older than two seconds.
    void Update(const DeviceTable& table);
    // Gives a row built for entry its tint and reason.
    void Apply(ListRow& row, const DeviceEntry& entry) const;
    // Re-tints the rows whose look changed since they were built.
    void Retint(ColorListModel& model) const;

private:
    std::map<std::string, AddressProblems> m_problems;
    std::vector<net::InterfaceAddress> m_interfaces;
    QElapsedTimer m_interfacesRead;
};
