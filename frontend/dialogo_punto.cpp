#include "dialogo_punto.h"

#include "calculo.h"
#include "module1.h"
#include "module1_widgets.h"
#include "principal.h"
#include "programa.h"
#include "services.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace quillon {

namespace {

// Client area of the dialogs: the windows are 4425 x 3045 twips with their
// border and caption.
constexpr int kClientWidth = 4335;
constexpr int kClientHeight = 2640;

// Where the design's frame window lies on an 800 x 600 screen: centred,
// 170 twips above the middle.
constexpr int kDesignFrameLeft = (12000 - 10890) / 2;
constexpr int kDesignFrameTop = (9000 - 8700) / 2 - 170;

// Rows of the fields: captions at the left, fields beside them.
constexpr int kCaptionLeft = 120;
constexpr int kCaptionWidth = 1200;
constexpr int kFieldLeft = 1320;
constexpr int kFieldWidth = 1440;
constexpr int kFieldHeight = 315;
constexpr int kFirstRowTop = 645;
constexpr int kRowStep = 375;
// Right column: the example and the buttons.
constexpr int kRightLeft = 2880;
constexpr int kRightWidth = 1335;

void Place(QWidget* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int left, int top,
                int width, int height) {
    auto* label = new QLabel(text, parent);
    Place(label, name, left, top, width, height);
    return label;
}

// Headings in bold dark blue.
QLabel* Heading(QWidget* parent, const char* name, const QString& text, int left, int top) {
    QLabel* label = Caption(parent, name, text, left, top, 1980, 255);
    label->setFont(SansFont(8, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, PaletteColor(1));
    label->setPalette(palette);
    return label;
}

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

void PlaceNearFrame(QWidget* dialog, const QWidget* frame, int left, int top) {
    const QPoint origin = frame != nullptr ? frame->frameGeometry().topLeft() : QPoint();
    dialog->move(origin + QPoint(Twips(left - kDesignFrameLeft), Twips(top - kDesignFrameTop)));
}

DialogoPunto::DialogoPunto(Programa& programa, const char* name, const QString& title,
                           const QString& confirm, const QString& leave, int identifierLength,
                           QWidget* parent)
    : QWidget(parent, Qt::Dialog), programa_(programa), identifierLength_(identifierLength) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    setFixedSize(Twips(kClientWidth), Twips(kClientHeight));

    Label1 = Heading(this, "Label1", QStringLiteral("COORDENADAS"), kCaptionLeft, 90);
    Label2 = Heading(this, "Label2", QString(), kCaptionLeft, 345);

    // The kind follows the transformation form; the options only keep it.
    Option1 = new QRadioButton(QStringLiteral("Geocéntricas"), this);
    Option2 = new QRadioButton(QStringLiteral("Geodésicas"), this);
    Option3 = new QRadioButton(QStringLiteral("U.T.M."), this);
    int optionTop = 90;
    for (auto [option, optionName] : {std::pair{Option1, "Option1"}, std::pair{Option2, "Option2"},
                                      std::pair{Option3, "Option3"}}) {
        Place(option, optionName, kRightLeft, optionTop, kRightWidth, 255);
        option->hide();
        optionTop += 255;
        connect(option, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected) {
                ApplyKind();
            }
        });
    }

    BuildFields();
    BuildExample();

    Command1 = new QPushButton(confirm, this);
    Place(Command1, "Command1", kRightLeft, 1695, kRightWidth, 360);
    Command2 = new QPushButton(leave, this);
    Place(Command2, "Command2", kRightLeft, 2115, kRightWidth, 360);
    // Enter on a focused button presses it.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);
    connect(Command1, &QPushButton::clicked, this, &DialogoPunto::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &DialogoPunto::Command2_Click);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Text5);
    setTabOrder(Text5, Command1);
    setTabOrder(Command1, Command2);

    Option3->setChecked(true);
}

void DialogoPunto::BuildFields() {
    const auto row = [this](const char* captionName, const char* fieldName, int index,
                            int fieldWidth, int length, QLabel*& caption, CampoTexto*& field) {
        const int top = kFirstRowTop + index * kRowStep;
        caption = Caption(this, captionName, QString(), kCaptionLeft, top + 30, kCaptionWidth, 255);
        field = new CampoTexto(this);
        Place(field, fieldName, kFieldLeft, top, fieldWidth, kFieldHeight);
        field->setMaxLength(length);
        caption->setBuddy(field);
        connect(field, &QLineEdit::returnPressed, this, [this, field] { FieldEntered(field); });
    };
    row("Label3", "Text1", 0, kFieldWidth, identifierLength_, Label3, Text1);
    row("Label4", "Text2", 1, kFieldWidth, kCoordinateLength, Label4, Text2);
    row("Label5", "Text3", 2, kFieldWidth, kCoordinateLength, Label5, Text3);
    row("Label6", "Text4", 3, kFieldWidth, kCoordinateLength, Label6, Text4);
    row("Label7", "Text5", 4, 450, kZoneLength, Label7, Text5);
    Label3->setText(QStringLiteral("Identificador"));
    Label7->setText(QStringLiteral("Huso"));
}

void DialogoPunto::BuildExample() {
    Frame1 = new QFrame(this);
    Place(Frame1, "Frame1", kRightLeft, 90, kRightWidth, 1455);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    constexpr int inner = kRightWidth - 2 * 60;
    Label8 = Caption(Frame1, "Label8", QStringLiteral("Ejemplo:"), 60, 60, inner, 255);
    Label8->setFont(SansFont(8, true));
    Label9 = Caption(Frame1, "Label9", QStringLiteral("37º45'57''947"), 60, 390, inner, 255);
    Label10 = Caption(Frame1, "Label10", QStringLiteral("↓"), 60, 660, inner, 405);
    Label10->setFont(SansFont(14, true));
    Label11 = Caption(Frame1, "Label11", QStringLiteral("37.4557947"), 60, 1095, inner, 255);
    for (QLabel* label : {Label9, Label10, Label11}) {
        label->setAlignment(Qt::AlignCenter);
    }
}

void DialogoPunto::SetKind(CoordinateKind kind) {
    QRadioButton* option = kind == CoordinateKind::Geocentric ? Option1
                           : kind == CoordinateKind::Geodetic ? Option2
                                                              : Option3;
    if (option->isChecked()) {
        ApplyKind();
    } else {
        option->setChecked(true);
    }
}

CoordinateKind DialogoPunto::Kind() const {
    if (Option1->isChecked()) {
        return CoordinateKind::Geocentric;
    }
    return Option2->isChecked() ? CoordinateKind::Geodetic : CoordinateKind::Utm;
}

void DialogoPunto::ApplyKind() {
    const CoordinateKind kind = Kind();
    const bool utm = kind == CoordinateKind::Utm;
    switch (kind) {
    case CoordinateKind::Geocentric:
        Label2->setText(QStringLiteral("CARTESIANAS"));
        Label4->setText(QStringLiteral("X"));
        Label5->setText(QStringLiteral("Y"));
        Label6->setText(QStringLiteral("Z"));
        break;
    case CoordinateKind::Geodetic:
        Label2->setText(QStringLiteral("GEODÉSICAS"));
        Label4->setText(QStringLiteral("Latitud"));
        Label5->setText(QStringLiteral("Longitud"));
        Label6->setText(QStringLiteral("Altitud h"));
        break;
    case CoordinateKind::Utm:
        Label2->setText(QStringLiteral("U.T.M."));
        Label4->setText(QStringLiteral("X UTM"));
        Label5->setText(QStringLiteral("Y UTM"));
        Label6->setText(QStringLiteral("Altitud H"));
        break;
    }
    Label7->setVisible(utm);
    Text5->setVisible(utm);
    if (!utm) {
        Text5->clear();
    }
    Frame1->setVisible(kind == CoordinateKind::Geodetic);
}

void DialogoPunto::FieldEntered(QLineEdit* field) {
    QWidget* next = nullptr;
    if (field == Text1) {
        next = Text2;
    } else if (field == Text2) {
        next = Text3;
    } else if (field == Text3) {
        next = Text4;
    } else if (field == Text4) {
        next = Text5->isHidden() ? static_cast<QWidget*>(Command1) : Text5;
    } else {
        next = Command1;
    }
    FocusField(next);
}

void DialogoPunto::ShowOverForm(int left, int top) {
    setEnabled(true);
    PlaceNearFrame(this, programa_.principal(), left, top);
    show();
    raise();
    activateWindow();
    form().setEnabled(false);
    FocusField(Text1);
}

void DialogoPunto::HideFromForm() {
    form().setEnabled(true);
    hide();
}

std::optional<PointRecord>
DialogoPunto::TypedPoint(const std::array<QString, 3>& coordinateMessages,
                         const QString& zoneMessage) {
    const QString title = QStringLiteral("Error de entrada");
    const std::array<CampoTexto*, 3> fields = {Text2, Text3, Text4};
    QWidget* firstBad = nullptr;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!IsNumericText(fields[i]->text())) {
            programa_.messages().Show(coordinateMessages[i], title, MessageIcon::Critical);
            if (firstBad == nullptr) {
                firstBad = fields[i];
            }
        }
    }
    if (firstBad != nullptr) {
        FocusField(firstBad);
        return std::nullopt;
    }

    PointRecord point;
    point.id = Text1->text();
    point.c1 = LeadingValue(Text2->text());
    point.c2 = LeadingValue(Text3->text());
    point.c3 = LeadingValue(Text4->text());
    if (Kind() == CoordinateKind::Utm) {
        const QString zone = Text5->text();
        if (zone != QLatin1String("29") && zone != QLatin1String("30") &&
            zone != QLatin1String("31")) {
            programa_.messages().Show(zoneMessage, title, MessageIcon::Critical);
            FocusField(Text5);
            return std::nullopt;
        }
        point.zone = static_cast<std::int16_t>(zone.toShort());
    }
    return point;
}

void DialogoPunto::ClearFields() {
    for (QLineEdit* field : {Text1, Text2, Text3, Text4, Text5}) {
        field->clear();
    }
}

Calculo& DialogoPunto::form() const {
    return *programa_.calculo();
}

void DialogoPunto::closeEvent(QCloseEvent* event) {
    // The close box leaves the dialog as its leave button does.
    Command2_Click();
    event->accept();
}

void DialogoPunto::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Command2_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillon
