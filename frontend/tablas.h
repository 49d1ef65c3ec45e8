// The point list and the result list as tables: a model over a table of
// point records with one column per coordinate, and the view that selects,
// copies (Ctrl+C, as TAB-separated lines a spreadsheet pastes into cells),
// deletes (Delete) and opens a point (double-click, Enter).
#pragma once

#include "lectura_puntos.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QTableView>
#include <QVector>
#include <functional>

namespace quillon {

// Column captions of a coordinate kind, the identifier first, each with its
// unit or format: metres, packed sexagesimal "gg.mmssss" angles, and the
// kind of height (the H of UTM points is orthometric when `orthometric`,
// otherwise an ellipsoidal h). The unit or format stands on a second line,
// so that a caption is never wider than its numbers.
QStringList CoordinateHeaders(CoordinateKind kind, bool orthometric = false);

// Decimals of the table cells: metres to the millimetre, packed
// sexagesimal angles to 1e-5 of a second.
inline constexpr int kMetreDecimals = 3;
inline constexpr int kSecondDecimals = 5;

// A value in metres in the user's locale with kMetreDecimals decimals and
// no group separator ("447905,820").
QString MetreText(double metres, const QLocale& locale);
// A packed sexagesimal angle DD.MMSSsssss in the user's locale, its seconds
// rounded to kSecondDecimals decimals (a full minute carries into the
// minutes, and 60 minutes into the degrees): "37,455794700".
QString PackedAngleText(double packed, const QLocale& locale);

// Rows 0..count-1 of a table of records (PointTable or ResultTable, which
// the model does not own), shown with the columns of a coordinate kind.
// Numbers are shown in the user's locale with fixed decimals by kind
// (MetreText, PackedAngleText), and so are they copied. A
// row left out of the last run shows a mark before its identifier ("#":
// outside the region; "!": refused by the engine), a tint and a tooltip that
// says why.
// The title of the uncertainty column of the results, short and on two lines
// so that the results still fit the table at the window's first size, and
// its tooltip, which says it whole.
inline constexpr const char* kUncertaintyHeader = "Incert.\n95 % (m)";
inline constexpr const char* kUncertaintyTooltip =
    "Incertidumbre 95 % (m): radio del círculo que contiene la posición verdadera del punto "
    "con un 95 % de probabilidad";

class CoordinateTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `uncertainty`: a last column with each record's uncertainty (results).
    explicit CoordinateTableModel(const QVector<PointRecord>& records, bool uncertainty = false,
                                  QObject* parent = nullptr);

    // The rows and columns to show: rows inserted or removed through the
    // model; only other columns (another kind) reset it.
    void Show(int count, CoordinateKind kind);
    // Rows `first`..`first + count - 1` come (go) while `change` puts their
    // records into (takes them out of) the table: one insertion (removal)
    // through the model, the other rows untouched.
    void InsertRecords(int first, int count, const std::function<void()>& change);
    void RemoveRecords(int first, int count, const std::function<void()>& change);
    // Whether the H of UTM points is orthometric (its column's caption).
    void SetOrthometric(bool orthometric);
    // Marks of the rows left out of a run (empty: none), with the engine's
    // reason for the rejected rows it names.
    void SetLeftOut(const QVector<LeftOut>& leftOut, const QHash<int, QString>& reasons = {});
    int count() const { return count_; }
    CoordinateKind kind() const { return kind_; }
    bool IsOutside(int row) const;
    bool IsRejected(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const QVector<PointRecord>& records_;
    const bool uncertainty_;
    int count_ = 0;
    CoordinateKind kind_ = CoordinateKind::Utm;
    bool orthometric_ = false;
    QVector<LeftOut> leftOut_;
    QHash<int, QString> reasons_;
};

class CoordinateTable : public QTableView {
    Q_OBJECT
public:
    explicit CoordinateTable(QWidget* parent = nullptr);

    // Columns fit their content whenever the model is reset or rows come or go.
    void setModel(QAbstractItemModel* model) override;

    // The selected cells as text: one line per row that has a selected cell,
    // in row order, the row's selected cells in column order separated by
    // TAB, each line ended by LF.
    QString SelectedText() const;
    // Rows with a selected cell, ascending.
    QList<int> SelectedRows() const;
    // Copies SelectedText to the clipboard.
    void CopySelection() const;

signals:
    // Delete pressed with rows selected.
    void deleteRequested(const QList<int>& rows);
    // A row opened by double-click or Enter.
    void openRequested(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The viewport narrows when the vertical scroll bar comes: the
    // identifier gives up the room then.
    bool viewportEvent(QEvent* event) override;

private:
    // Numbers as wide as they need, the identifier with the rest.
    void FitColumns();
    void FillWidth();

    int identifierWidth_ = 0;
};

} // namespace quillon
