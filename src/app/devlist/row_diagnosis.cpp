#include "devlist/row_diagnosis.h"

#include "devlist/device_columns.h"
#include "ui/lang_text.h"

namespace {

constexpr qint64 kInterfacesMaxAgeMs = 2000;

// Light enough for the list's dark text, apart from the grey rows and the
// blue of a selection.
QColor TintOf(AddressProblem problem) {
    switch (problem) {
    case AddressProblem::Conflict:
        return {242, 160, 156}; // red
    case AddressProblem::Unreachable:
        return {246, 196, 122}; // amber
    case AddressProblem::MacAnsweredTwice:
        return {208, 182, 238}; // lilac
    case AddressProblem::GatewayOutside:
        return {236, 228, 140}; // yellow
    }
    return {};
}

} // namespace

QColor ProblemTint(AddressProblems problems) {
    for (const AddressProblem problem : kAddressProblems) {
        if (problems.Has(problem)) {
            return TintOf(problem);
        }
    }
    return {};
}

QString ProblemReason(AddressProblems problems, const DeviceEntry& entry) {
    QStringList lines;
    for (const AddressProblem problem : kAddressProblems) {
        if (!problems.Has(problem)) {
            continue;
        }
        QString line = LangText(AddressProblemKey(problem));
        if (problem == AddressProblem::MacAnsweredTwice) {
            QStringList others;
            for (const std::string& address : entry.otherAddresses) {
                others.push_back(DeviceText(address));
            }
            line += QStringLiteral(" ") + others.join(QStringLiteral(", "));
        }
        lines.push_back(line);
    }
    return lines.join('\n');
}

void RowDiagnoses::Update(const DeviceTable& table) {
    if (!m_interfacesRead.isValid() || m_interfacesRead.elapsed() > kInterfacesMaxAgeMs) {
        m_interfaces = net::LocalInterfaces();
        m_interfacesRead.start();
    }
    m_problems = DiagnoseTable(table, m_interfaces);
}

void RowDiagnoses::Apply(ListRow& row, const DeviceEntry& entry) const {
    const auto found = m_problems.find(DeviceKey(entry));
    if (found == m_problems.end()) {
        row.tint = QColor();
        row.reason.clear();
        return;
    }
    row.tint = ProblemTint(found->second);
    row.reason = ProblemReason(found->second, entry);
}

void RowDiagnoses::Retint(ColorListModel& model) const {
    for (int index = 0; index < model.rowCount(); ++index) {
        const ListRow* row = model.Row(index);
        const DeviceEntry* entry = row != nullptr ? RowEntry(*row) : nullptr;
        if (entry == nullptr) {
            continue;
        }
        ListRow look;
        Apply(look, *entry);
        model.SetRowTint(index, look.tint, look.reason);
    }
}
