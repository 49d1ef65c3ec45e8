#include "dialogo_punto.h"

#include "aplicacion.h"
#include "calculo.h"
#include "comun.h"
#include "comun_widgets.h"
#include "principal.h"
#include "services.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace quillon {

namespace {

void FocusField(QWidget* control) {
    control->setFocus();
    if (auto* field = qobject_cast<QLineEdit*>(control)) {
        field->selectAll();
    }
}

} // namespace

void CampoTexto::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    selectAll();
}

void SetFieldText(QLineEdit* field, const QString& text, int limit) {
    field->setMaxLength(std::max(limit, static_cast<int>(text.size())));
    field->setText(text);
}

DialogoPunto::DialogoPunto(Aplicacion& programa, const char* name, const QString& title,
                           const QString& confirm, const QString& leave, QWidget* parent)
    : QWidget(parent, Qt::Dialog), programa_(programa) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);

    headingLabel = Heading(this, "headingLabel", QStringLiteral("COORDENADAS"));
    kindLabel = Heading(this, "kindLabel", QString());

    const auto field = [this](const char* labelName, const char* editName, const QString& caption,
                              int length, QLabel*& label, CampoTexto*& edit) {
        label = Named(new QLabel(caption, this), labelName);
        edit = Named(new CampoTexto(this), editName);
        edit->setMaxLength(length);
        label->setBuddy(edit);
        connect(edit, &QLineEdit::returnPressed, this, [this, edit] { FieldEntered(edit); });
    };
    field("identifierLabel", "identifierEdit", QStringLiteral("Identificador"), kIdentifierLength,
          identifierLabel, identifierEdit);
    field("coordinate1Label", "coordinate1Edit", QString(), kCoordinateLength, coordinate1Label,
          coordinate1Edit);
    field("coordinate2Label", "coordinate2Edit", QString(), kCoordinateLength, coordinate2Label,
          coordinate2Edit);
    field("coordinate3Label", "coordinate3Edit", QString(), kCoordinateLength, coordinate3Label,
          coordinate3Edit);
    field("zoneLabel", "zoneEdit", QStringLiteral("Huso"), kZoneLength, zoneLabel, zoneEdit);
    zoneEdit->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
    for (CampoTexto* edit : {coordinate1Edit, coordinate2Edit, coordinate3Edit}) {
        edit->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0000000,0000")));
    }

    BuildExample();

    confirmButton = Named(new QPushButton(confirm, this), "confirmButton");
    leaveButton = Named(new QPushButton(leave, this), "leaveButton");
    // Enter on a focused button presses it.
    confirmButton->setAutoDefault(true);
    leaveButton->setAutoDefault(true);
    connect(confirmButton, &QPushButton::clicked, this, &DialogoPunto::Confirm);
    connect(leaveButton, &QPushButton::clicked, this, &DialogoPunto::Leave);

    auto* fields = new QFormLayout;
    fields->addRow(identifierLabel, identifierEdit);
    fields->addRow(coordinate1Label, coordinate1Edit);
    fields->addRow(coordinate2Label, coordinate2Edit);
    fields->addRow(coordinate3Label, coordinate3Edit);
    fields->addRow(zoneLabel, zoneEdit);
    auto* left = new QVBoxLayout;
    left->addWidget(headingLabel);
    left->addWidget(kindLabel);
    left->addLayout(fields);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(exampleFrame);
    right->addStretch(1);
    right->addWidget(confirmButton);
    right->addWidget(leaveButton);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    setTabOrder(identifierEdit, coordinate1Edit);
    setTabOrder(coordinate1Edit, coordinate2Edit);
    setTabOrder(coordinate2Edit, coordinate3Edit);
    setTabOrder(coordinate3Edit, zoneEdit);
    setTabOrder(zoneEdit, confirmButton);
    setTabOrder(confirmButton, leaveButton);

    SetKind(CoordinateKind::Utm);
}

void DialogoPunto::BuildExample() {
    exampleFrame = Named(new QFrame(this), "exampleFrame");
    exampleFrame->setFrameShape(QFrame::Box);
    exampleFrame->setFrameShadow(QFrame::Sunken);
    exampleTitleLabel =
        Named(new QLabel(QStringLiteral("Ejemplo:"), exampleFrame), "exampleTitleLabel");
    exampleTitleLabel->setFont(SansFont(8, true));
    exampleAngleLabel =
        Named(new QLabel(QStringLiteral("37º45'57''947"), exampleFrame), "exampleAngleLabel");
    exampleArrowLabel = Named(new QLabel(QStringLiteral("↓"), exampleFrame), "exampleArrowLabel");
    exampleArrowLabel->setFont(SansFont(14, true));
    examplePackedLabel =
        Named(new QLabel(QStringLiteral("37.4557947"), exampleFrame), "examplePackedLabel");
    auto* layout = new QVBoxLayout(exampleFrame);
    layout->addWidget(exampleTitleLabel);
    for (QLabel* label : {exampleAngleLabel, exampleArrowLabel, examplePackedLabel}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
}

void DialogoPunto::SetKind(CoordinateKind kind) {
    kind_ = kind;
    const bool utm = kind == CoordinateKind::Utm;
    switch (kind) {
    case CoordinateKind::Geocentric:
        kindLabel->setText(QStringLiteral("CARTESIANAS"));
        coordinate1Label->setText(QStringLiteral("X"));
        coordinate2Label->setText(QStringLiteral("Y"));
        coordinate3Label->setText(QStringLiteral("Z"));
        break;
    case CoordinateKind::Geodetic:
        kindLabel->setText(QStringLiteral("GEODÉSICAS"));
        coordinate1Label->setText(QStringLiteral("Latitud"));
        coordinate2Label->setText(QStringLiteral("Longitud"));
        coordinate3Label->setText(QStringLiteral("Altitud h"));
        break;
    case CoordinateKind::Utm:
        kindLabel->setText(QStringLiteral("U.T.M."));
        coordinate1Label->setText(QStringLiteral("X UTM"));
        coordinate2Label->setText(QStringLiteral("Y UTM"));
        coordinate3Label->setText(QStringLiteral("Altitud H"));
        break;
    }
    zoneLabel->setVisible(utm);
    zoneEdit->setVisible(utm);
    if (!utm) {
        zoneEdit->clear();
    }
    exampleFrame->setVisible(kind == CoordinateKind::Geodetic);
}

void DialogoPunto::FieldEntered(QLineEdit* field) {
    QWidget* next = nullptr;
    if (field == identifierEdit) {
        next = coordinate1Edit;
    } else if (field == coordinate1Edit) {
        next = coordinate2Edit;
    } else if (field == coordinate2Edit) {
        next = coordinate3Edit;
    } else if (field == coordinate3Edit) {
        next = zoneEdit->isHidden() ? static_cast<QWidget*>(confirmButton) : zoneEdit;
    } else {
        next = confirmButton;
    }
    FocusField(next);
}

void DialogoPunto::ShowOverForm() {
    setEnabled(true);
    adjustSize();
    if (const QWidget* frame = programa_.principal(); frame != nullptr && frame->isVisible()) {
        const QRect area = frame->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
    form().setEnabled(false);
    FocusField(identifierEdit);
}

void DialogoPunto::HideFromForm() {
    form().setEnabled(true);
    hide();
}

std::optional<PointRecord> DialogoPunto::TypedPoint() {
    const QString title = QStringLiteral("Error de entrada");
    const std::array<CampoTexto*, 3> fields = {coordinate1Edit, coordinate2Edit, coordinate3Edit};
    const std::array<QLabel*, 3> captions = {coordinate1Label, coordinate2Label, coordinate3Label};
    std::array<double, 3> values{};
    QWidget* firstBad = nullptr;
    const auto bad = [&](QWidget* field, const QString& message) {
        programa_.messages().Show(message, title, MessageIcon::Critical);
        if (firstBad == nullptr) {
            firstBad = field;
        }
    };
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!ReadDecimal(fields[i]->text(), values[i])) {
            bad(fields[i], QStringLiteral("El dato introducido en «%1» ha de ser numérico")
                               .arg(captions[i]->text()));
        }
    }
    if (firstBad == nullptr && kind_ == CoordinateKind::Geodetic) {
        const QString latitude = PackedAngleProblem(values[0], coordinate1Label->text(), 90);
        if (!latitude.isEmpty()) {
            bad(coordinate1Edit, latitude);
        }
        const QString longitude = PackedAngleProblem(values[1], coordinate2Label->text(), 180);
        if (!longitude.isEmpty()) {
            bad(coordinate2Edit, longitude);
        }
    }
    if (firstBad != nullptr) {
        FocusField(firstBad);
        return std::nullopt;
    }

    PointRecord point;
    point.id = identifierEdit->text();
    point.c1 = values[0];
    point.c2 = values[1];
    point.c3 = values[2];
    if (kind_ == CoordinateKind::Utm) {
        const QString zone = zoneEdit->text().trimmed();
        if (zone != QLatin1String("29") && zone != QLatin1String("30") &&
            zone != QLatin1String("31")) {
            programa_.messages().Show(QStringLiteral("El Huso ha de ser 29, 30 ó 31"), title,
                                      MessageIcon::Critical);
            FocusField(zoneEdit);
            return std::nullopt;
        }
        point.zone = static_cast<std::int16_t>(zone.toShort());
    }
    return point;
}

void DialogoPunto::ClearFields() {
    for (QLineEdit* field :
         {identifierEdit, coordinate1Edit, coordinate2Edit, coordinate3Edit, zoneEdit}) {
        field->clear();
    }
}

Calculo& DialogoPunto::form() const {
    return *programa_.calculo();
}

FormPresenter& DialogoPunto::presenter() const {
    return programa_.presenter();
}

void DialogoPunto::closeEvent(QCloseEvent* event) {
    // The close box leaves the dialog as its leave button does.
    if (isVisible()) {
        Leave();
    }
    event->accept();
}

void DialogoPunto::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Leave();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
