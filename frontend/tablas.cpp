#include "tablas.h"

#include "comun.h"

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QColor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <map>

namespace quillon {

namespace {

// Tint of the rows left out of a run: the light red of the classic palette,
// faded so that the text stays readable.
const QColor kLeftOutTint(255, 214, 214);

// The columns of CoordinateHeaders, asked for each cell shown: the
// identifier, three coordinates and, for UTM points, the zone.
int CoordinateColumns(CoordinateKind kind) {
    return kind == CoordinateKind::Utm ? 5 : 4;
}

} // namespace

QStringList CoordinateHeaders(CoordinateKind kind, bool orthometric) {
    switch (kind) {
    case CoordinateKind::Geocentric:
        return {QStringLiteral("Identificador"), QStringLiteral("X\n(m)"), QStringLiteral("Y\n(m)"),
                QStringLiteral("Z\n(m)")};
    case CoordinateKind::Geodetic:
        return {QStringLiteral("Identificador"), QStringLiteral("Latitud\n(gg.mmssss)"),
                QStringLiteral("Longitud\n(gg.mmssss)"), QStringLiteral("h elipsoidal\n(m)")};
    case CoordinateKind::Utm:
        break;
    }
    return {
        QStringLiteral("Identificador"), QStringLiteral("X UTM\n(m)"), QStringLiteral("Y UTM\n(m)"),
        orthometric ? QStringLiteral("H ortométrica\n(m)") : QStringLiteral("h elipsoidal\n(m)"),
        QStringLiteral("Huso")};
}

QString MetreText(double metres, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    // A value that rounds to zero is shown as zero, never as "-0.000".
    if (std::fabs(metres) < 0.0005) {
        metres = 0.0;
    }
    return plain.toString(metres, 'f', kMetreDecimals);
}

QString PackedAngleText(double packed, const QLocale& locale) {
    if (!std::isfinite(packed)) {
        return MetreText(packed, locale);
    }
    // The whole angle in units of 1e-5 s, rounded once, then split.
    constexpr long long kSecond = 100000; // 10^kSecondDecimals
    const long long units =
        std::llround(std::fabs(PackedToDegrees(packed)) * 3600.0 * static_cast<double>(kSecond));
    const long long degrees = units / (3600 * kSecond);
    const long long minutes = units / (60 * kSecond) % 60;
    const long long seconds = units % (60 * kSecond);
    const QString digits = QStringLiteral("%1%2")
                               .arg(minutes, 2, 10, QLatin1Char('0'))
                               .arg(seconds, 7, 10, QLatin1Char('0'));
    QString text = (packed < 0 && units > 0 ? QStringLiteral("-") : QString()) +
                   QString::number(degrees) + locale.decimalPoint() + digits;
    return text;
}

CoordinateTableModel::CoordinateTableModel(const QVector<PointRecord>& records, bool uncertainty,
                                           QObject* parent)
    : QAbstractTableModel(parent), records_(records), uncertainty_(uncertainty) {}

void CoordinateTableModel::Show(int count, CoordinateKind kind) {
    count = std::clamp(count, 0, static_cast<int>(records_.size()));
    leftOut_.clear();
    reasons_.clear();
    if (kind != kind_) {
        // Other columns: the only change that resets the model.
        beginResetModel();
        count_ = count;
        kind_ = kind;
        endResetModel();
        return;
    }
    // The same columns: rows come and go through the model, and the rows
    // kept are told that their records may have changed.
    if (count < count_) {
        beginRemoveRows(QModelIndex(), count, count_ - 1);
        count_ = count;
        endRemoveRows();
    } else if (count > count_) {
        beginInsertRows(QModelIndex(), count_, count - 1);
        count_ = count;
        endInsertRows();
    }
    if (count_ > 0) {
        emit dataChanged(index(0, 0), index(count_ - 1, columnCount() - 1));
    }
}

void CoordinateTableModel::InsertRecords(int first, int count,
                                         const std::function<void()>& change) {
    if (count <= 0) {
        change();
        return;
    }
    beginInsertRows(QModelIndex(), first, first + count - 1);
    change();
    count_ += count;
    endInsertRows();
}

void CoordinateTableModel::RemoveRecords(int first, int count,
                                         const std::function<void()>& change) {
    if (count <= 0) {
        change();
        return;
    }
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    change();
    count_ -= count;
    endRemoveRows();
}

void CoordinateTableModel::SetOrthometric(bool orthometric) {
    if (orthometric_ != orthometric) {
        orthometric_ = orthometric;
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
}

void CoordinateTableModel::SetLeftOut(const QVector<LeftOut>& leftOut,
                                      const QHash<int, QString>& reasons) {
    if (leftOut.isEmpty() && leftOut_.isEmpty()) {
        return;
    }
    leftOut_ = leftOut;
    reasons_ = reasons;
    if (count_ > 0) {
        emit dataChanged(index(0, 0), index(count_ - 1, columnCount() - 1));
    }
}

bool CoordinateTableModel::IsOutside(int row) const {
    return leftOut_.value(row, LeftOut::No) == LeftOut::Outside;
}

bool CoordinateTableModel::IsRejected(int row) const {
    return leftOut_.value(row, LeftOut::No) == LeftOut::Rejected;
}

int CoordinateTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int CoordinateTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CoordinateColumns(kind_) + (uncertainty_ ? 1 : 0);
}

QVariant CoordinateTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_) {
        return {};
    }
    const PointRecord& record = records_[index.row()];
    const int column = index.column();
    const LeftOut leftOut = leftOut_.value(index.row(), LeftOut::No);
    const bool uncertaintyColumn = uncertainty_ && column == CoordinateColumns(kind_);
    switch (role) {
    case Qt::DisplayRole:
        if (uncertaintyColumn) {
            return std::isnan(record.uncertainty) ? QString()
                                                  : MetreText(record.uncertainty, QLocale());
        }
        switch (column) {
        case 0:
            switch (leftOut) {
            case LeftOut::Outside:
                return QStringLiteral("#") + record.id.text();
            case LeftOut::Rejected:
                return QStringLiteral("!") + record.id.text();
            case LeftOut::No:
                break;
            }
            return record.id.text();
        case 1:
            return kind_ == CoordinateKind::Geodetic ? PackedAngleText(record.c1, QLocale())
                                                     : MetreText(record.c1, QLocale());
        case 2:
            return kind_ == CoordinateKind::Geodetic ? PackedAngleText(record.c2, QLocale())
                                                     : MetreText(record.c2, QLocale());
        case 3:
            return MetreText(record.c3, QLocale());
        default:
            return QString::number(record.zone);
        }
    case Qt::TextAlignmentRole:
        return column == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                           : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return leftOut == LeftOut::No ? QVariant() : QVariant(QBrush(kLeftOutTint));
    case Qt::ToolTipRole:
        switch (leftOut) {
        case LeftOut::Outside:
            return QStringLiteral("Fuera de la región de cálculo del programa: no se ha "
                                  "transformado");
        case LeftOut::Rejected:
            return QStringLiteral("Rechazado por el cálculo: ") +
                   reasons_.value(index.row(), QStringLiteral("vea los metadatos"));
        case LeftOut::No:
            break;
        }
        return {};
    default:
        return {};
    }
}

QVariant CoordinateTableModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && uncertainty_ &&
        section == CoordinateColumns(kind_)) {
        return QString::fromUtf8(kUncertaintyTooltip);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1; // point numbers, from 1
    }
    QStringList headers = CoordinateHeaders(kind_, orthometric_);
    if (uncertainty_) {
        headers.append(QString::fromUtf8(kUncertaintyHeader));
    }
    return section >= 0 && section < headers.size() ? QVariant(headers[section]) : QVariant();
}

CoordinateTable::CoordinateTable(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    horizontalHeader()->setMinimumSectionSize(fontMetrics().averageCharWidth() * 6);
    horizontalHeader()->setHighlightSections(false);
    // Column widths from the first rows: a long list costs no more.
    horizontalHeader()->setResizeContentsPrecision(200);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { emit openRequested(index.row()); });
}

void CoordinateTable::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    if (model != nullptr) {
        // Once the header has laid out the sections of the reset model.
        connect(model, &QAbstractItemModel::modelReset, this, &CoordinateTable::FitColumns,
                Qt::QueuedConnection);
        connect(model, &QAbstractItemModel::rowsInserted, this, &CoordinateTable::FitColumns,
                Qt::QueuedConnection);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &CoordinateTable::FitColumns,
                Qt::QueuedConnection);
        connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this,
                &CoordinateTable::FitColumns);
        FitColumns();
    }
}

void CoordinateTable::FitColumns() {
    if (horizontalHeader()->count() == 0) {
        return;
    }
    resizeColumnsToContents();
    identifierWidth_ = columnWidth(0);
    FillWidth();
}

void CoordinateTable::FillWidth() {
    const QHeaderView* header = horizontalHeader();
    if (header->count() == 0) {
        return;
    }
    // The identifier takes the room the numbers leave.
    int numbers = 0;
    for (int column = 1; column < header->count(); ++column) {
        numbers += columnWidth(column);
    }
    setColumnWidth(0, std::max(identifierWidth_, viewport()->width() - numbers));
}

bool CoordinateTable::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        FillWidth();
    }
    return handled;
}

QString CoordinateTable::SelectedText() const {
    if (selectionModel() == nullptr) {
        return {};
    }
    std::map<int, std::map<int, QString>> cells;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        cells[index.row()][index.column()] = index.data(Qt::DisplayRole).toString();
    }
    QString text;
    for (const auto& [row, columns] : cells) {
        QStringList line;
        for (const auto& [column, cell] : columns) {
            line << cell;
        }
        text += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QList<int> CoordinateTable::SelectedRows() const {
    QList<int> rows;
    if (selectionModel() == nullptr) {
        return rows;
    }
    // From the selection's ranges: a whole list selected is a few ranges,
    // not a cell index for each of its cells.
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows << row;
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CoordinateTable::CopySelection() const {
    const QString text = SelectedText();
    if (!text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

void CoordinateTable::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        if (const QList<int> rows = SelectedRows(); !rows.isEmpty()) {
            emit deleteRequested(rows);
            event->accept();
            return;
        }
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        emit openRequested(currentIndex().row());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace quillon
