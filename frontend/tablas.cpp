#include "tablas.h"

#include "module1.h"

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QColor>
#include <QHeaderView>
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

} // namespace

QStringList CoordinateHeaders(CoordinateKind kind) {
    switch (kind) {
    case CoordinateKind::Geocentric:
        return {QStringLiteral("Identificador"), QStringLiteral("X"), QStringLiteral("Y"),
                QStringLiteral("Z")};
    case CoordinateKind::Geodetic:
        return {QStringLiteral("Identificador"), QStringLiteral("Latitud"),
                QStringLiteral("Longitud"), QStringLiteral("h")};
    case CoordinateKind::Utm:
        break;
    }
    return {QStringLiteral("Identificador"), QStringLiteral("X UTM"), QStringLiteral("Y UTM"),
            QStringLiteral("H"), QStringLiteral("Huso")};
}

CoordinateTableModel::CoordinateTableModel(const QVector<PointRecord>& records, bool uncertainty,
                                           QObject* parent)
    : QAbstractTableModel(parent), records_(records), uncertainty_(uncertainty) {}

void CoordinateTableModel::Show(int count, CoordinateKind kind) {
    beginResetModel();
    count_ = std::clamp(count, 0, static_cast<int>(records_.size()));
    kind_ = kind;
    leftOut_.clear();
    reasons_.clear();
    endResetModel();
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
    return parent.isValid()
               ? 0
               : static_cast<int>(CoordinateHeaders(kind_).size()) + (uncertainty_ ? 1 : 0);
}

QVariant CoordinateTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_) {
        return {};
    }
    const PointRecord& record = records_[index.row()];
    const int column = index.column();
    const LeftOut leftOut = leftOut_.value(index.row(), LeftOut::No);
    const bool uncertaintyColumn =
        uncertainty_ && column == static_cast<int>(CoordinateHeaders(kind_).size());
    switch (role) {
    case Qt::DisplayRole:
        if (uncertaintyColumn) {
            return std::isnan(record.uncertainty) ? QString()
                                                  : QLocale().toString(record.uncertainty, 'f', 3);
        }
        switch (column) {
        case 0:
            switch (leftOut) {
            case LeftOut::Outside:
                return QStringLiteral("#") + record.id;
            case LeftOut::Rejected:
                return QStringLiteral("!") + record.id;
            case LeftOut::No:
                break;
            }
            return record.id;
        case 1:
            return DecimalText(record.c1, QLocale());
        case 2:
            return DecimalText(record.c2, QLocale());
        case 3:
            return DecimalText(record.c3, QLocale());
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
        section == static_cast<int>(CoordinateHeaders(kind_).size())) {
        return QString::fromUtf8(kUncertaintyTooltip);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1; // point numbers, from 1
    }
    QStringList headers = CoordinateHeaders(kind_);
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
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        rows << index.row();
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
    if (event->key() == Qt::Key_Delete && !SelectedRows().isEmpty()) {
        emit deleteRequested(SelectedRows());
        event->accept();
        return;
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
