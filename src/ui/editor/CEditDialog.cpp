#include "ui/editor/CEditDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "action/ActionText.h"
#include "device/PanelAddress.h"
#include "model/StrPrintf.h"
#include "rules/FieldRules.h"
#include "rules/RuleMessages.h"
#include "ui/common/GbkText.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/common/UiSeams.h"
#include "ui/common/WindowPlacement.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/editor/CNetComData.h"
#include "ui/editor/EditorControls.h"
#include "ui/editor/EditorNumbers.h"

namespace velk::ui {
namespace {

struct FunctionEntry {
    int bit;
    FunctionCode code;
};

// The order the function list offers them in.
constexpr FunctionEntry kFunctions[] = {
    {kBitInfrared, FunctionCode::Infrared}, {kBitIo, FunctionCode::Io},
    {kBitRelay, FunctionCode::Relay},       {kBitNetwork, FunctionCode::Network},
    {kBitSerial, FunctionCode::Serial},
};

constexpr int kTcp1Position = 2;
constexpr int kDefaultDataWidth = 3;
constexpr int kIrCodeRead = 19;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kLabelX = 10;
constexpr int kControlX = 88;
constexpr int kRowHeight = 22;
constexpr QPoint kComposerOrigin{0, 90};

template <size_t N>
int bitsOf(const std::array<QCheckBox*, N>& boxes) {
    int mask = 0;
    for (size_t i = 0; i < N; ++i) {
        if (boxes[i]->isChecked()) {
            mask |= 1 << i;
        }
    }
    return mask;
}

template <size_t N>
void setBits(const std::array<QCheckBox*, N>& boxes, int bits) {
    for (size_t i = 0; i < N; ++i) {
        boxes[i]->setChecked((bits & (1 << i)) != 0);
    }
}

// "0" ... "6"; a stored action with more blanks (the project file holds up to 10) gets entries up
// to its count, so modifying it cannot drop blanks.
void fillCountList(QComboBox* list, int stored) {
    list->clear();
    list->addItems(
        numberEntries(kOfferedBlankCounts.first,
                      std::max(kOfferedBlankCounts.last, std::min(stored, CNetComData::kBlankCount))));
}

int storedBlanks(const SendData& data) {
    return static_cast<int>(std::min<size_t>(data.placeholders.size(), CNetComData::kBlankCount));
}

}  // namespace

CEditDialog::CEditDialog(const ConfigModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setWindowTitle(QStringLiteral("添加数据"));
    buildControls();
    OnInitDialog();
}

void CEditDialog::setRequest(const ProjectSession::ActionEditRequest& request) {
    m_eventIndex = request.slot;
    m_disabledFunctions = request.disabledFunctions;
    m_source = request.source;
    m_pSource = m_source ? &*m_source : nullptr;
    OnInitDialog();
}

std::optional<KeyAction> CEditDialog::edit(QWidget* parent, const ConfigModel& model,
                                           const ProjectSession::ActionEditRequest& request) {
    CEditDialog dialog(model, parent);
    dialog.setRequest(request);
    if (runModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.action();
}

void CEditDialog::buildControls() {
    Controls& c = m_controls;
    placedLabel(this, QStringLiteral("功能选择："), kLabelX, 10, 76, kRowHeight);
    c.function = makeList(this, {}, QRect(kControlX, 10, 110, kRowHeight));
    buildInfrared();
    buildIo();
    buildRelay();
    buildNetwork();
    buildCustomAddress();
    buildSerial();

    // The composer panels sit in a frameless scroll area that shows them whole where the screen
    // allows it, and scrolls them where it does not.
    m_composerArea = new QScrollArea(this);
    m_composerArea->setObjectName(QStringLiteral("composerArea"));
    m_composerArea->setFrameShape(QFrame::NoFrame);
    m_composerArea->setFocusPolicy(Qt::NoFocus);
    m_composerArea->setWidgetResizable(false);
    m_composer = new QWidget;
    m_composerArea->setWidget(m_composer);
    m_composerArea->move(kComposerOrigin);

    c.ok = new QPushButton(QStringLiteral("确定"), this);
    c.ok->setDefault(true);
    c.cancel = new QPushButton(QStringLiteral("取消"), this);
    connect(c.ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(c.cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto guarded = [this](void (CEditDialog::*handler)()) {
        return [this, handler] {
            if (!m_initialising) {
                (this->*handler)();
            }
        };
    };
    connect(c.function, &QComboBox::currentIndexChanged, this, guarded(&CEditDialog::OnFunctionChanged));
    connect(c.netCount, &QComboBox::currentIndexChanged, this, guarded(&CEditDialog::OnNetCountChanged));
    connect(c.netChannel, &QComboBox::currentIndexChanged, this, guarded(&CEditDialog::OnNetChannelChanged));
    connect(c.serialCount, &QComboBox::currentIndexChanged, this,
            guarded(&CEditDialog::OnSerialCountChanged));
}

void CEditDialog::buildInfrared() {
    Controls& c = m_controls;
    c.infrared = new QWidget(this);
    c.infrared->setGeometry(0, 36, 320, 54);
    placedLabel(c.infrared, QStringLiteral("红外通道："), kLabelX, 2, 76, kRowHeight);
    for (size_t i = 0; i < c.irChannels.size(); ++i) {
        c.irChannels[i] = new QCheckBox(QStringLiteral("通道%1").arg(i + 1), c.infrared);
        c.irChannels[i]->setGeometry(kControlX + static_cast<int>(i) * 56, 2, 56, kRowHeight);
    }
    placedLabel(c.infrared, QStringLiteral("红外ID："), kLabelX, 30, 76, kRowHeight);
    c.irCode = makeEdit(c.infrared, QRect(kControlX, 30, 80, kRowHeight), 32767);
    acceptDigitsOnly(*c.irCode);
}

void CEditDialog::buildIo() {
    Controls& c = m_controls;
    c.io = new QWidget(this);
    c.io->setGeometry(0, 36, 320, 54);
    placedLabel(c.io, QStringLiteral("IO通道："), kLabelX, 2, 76, kRowHeight);
    for (size_t i = 0; i < c.ioChannels.size(); ++i) {
        c.ioChannels[i] = new QCheckBox(QStringLiteral("通道%1").arg(i + 1), c.io);
        c.ioChannels[i]->setGeometry(kControlX + static_cast<int>(i) * 60, 2, 60, kRowHeight);
    }
    placedLabel(c.io, QStringLiteral("操作类型："), kLabelX, 30, 76, kRowHeight);
    c.ioOperation = makeList(c.io, choiceEntries(ioOperationText), QRect(kControlX, 30, 100, kRowHeight));
}

void CEditDialog::buildRelay() {
    Controls& c = m_controls;
    c.relay = new QWidget(this);
    c.relay->setGeometry(0, 36, 320, 54);
    placedLabel(c.relay, QStringLiteral("继电器通道："), kLabelX, 2, 78, kRowHeight);
    for (size_t i = 0; i < c.relayChannels.size(); ++i) {
        c.relayChannels[i] = new QCheckBox(QStringLiteral("通道%1").arg(i + 1), c.relay);
        c.relayChannels[i]->setGeometry(kControlX + static_cast<int>(i) * 60, 2, 60, kRowHeight);
    }
    placedLabel(c.relay, QStringLiteral("操作类型："), kLabelX, 30, 76, kRowHeight);
    c.relayOperation =
        makeList(c.relay, choiceEntries(relayOperationText), QRect(kControlX, 30, 100, kRowHeight));
}

void CEditDialog::buildNetwork() {
    Controls& c = m_controls;
    c.network = new QWidget(this);
    c.network->setGeometry(0, 36, 320, 54);
    placedLabel(c.network, QStringLiteral("网络通道："), kLabelX, 2, 76, kRowHeight);
    c.netChannel =
        makeList(c.network, choiceEntries(networkChannelEntry), QRect(kControlX, 2, 140, kRowHeight));
    placedLabel(c.network, QStringLiteral("数据类型："), kLabelX, 30, 76, kRowHeight);
    c.netType = makeList(c.network, choiceEntries(dataTypeEntry), QRect(kControlX, 30, 70, kRowHeight));
    placedLabel(c.network, QStringLiteral("变量数："), 166, 30, 52, kRowHeight);
    c.netCount = makeList(c.network, numberEntries(kOfferedBlankCounts.first, kOfferedBlankCounts.last),
                          QRect(218, 30, 50, kRowHeight));
}

void CEditDialog::buildCustomAddress() {
    Controls& c = m_controls;
    c.customFrame = new QGroupBox(QStringLiteral("自定义IP地址"), this);
    c.customFrame->setGeometry(325, 6, 300, 84);
    placedLabel(c.customFrame, QStringLiteral("IP地址："), 12, 24, 56, kRowHeight);
    c.customIp = new Ipv4Edit(c.customFrame);
    c.customIp->setGeometry(70, 24, 170, kRowHeight);
    placedLabel(c.customFrame, QStringLiteral("端口："), 12, 54, 56, kRowHeight);
    c.customPort = makeEdit(c.customFrame, QRect(70, 54, 80, kRowHeight), 10);
    acceptDigitsOnly(*c.customPort);
}

void CEditDialog::buildSerial() {
    Controls& c = m_controls;
    c.serial = new QWidget(this);
    c.serial->setGeometry(0, 36, 640, 54);
    placedLabel(c.serial, QStringLiteral("串口通道："), kLabelX, 2, 76, kRowHeight);
    c.serialChannel =
        makeList(c.serial, choiceEntries(serialChannelEntry), QRect(kControlX, 2, 100, kRowHeight));
    placedLabel(c.serial, QStringLiteral("数据类型："), kLabelX, 30, 76, kRowHeight);
    c.serialType = makeList(c.serial, choiceEntries(dataTypeEntry), QRect(kControlX, 30, 70, kRowHeight));
    placedLabel(c.serial, QStringLiteral("变量数："), 166, 30, 52, kRowHeight);
    c.serialCount = makeList(c.serial, numberEntries(kOfferedBlankCounts.first, kOfferedBlankCounts.last),
                             QRect(218, 30, 50, kRowHeight));

    placedLabel(c.serial, QStringLiteral("波特率:"), 330, 2, 50, kRowHeight);
    c.baudrate = makeList(c.serial, choiceEntries(baudRateText), QRect(380, 2, 88, kRowHeight));
    placedLabel(c.serial, QStringLiteral("数据位:"), 480, 2, 50, kRowHeight);
    c.dataWidth = makeList(c.serial, choiceEntries(dataWidthEntry), QRect(530, 2, 80, kRowHeight));
    placedLabel(c.serial, QStringLiteral("校验位:"), 330, 30, 50, kRowHeight);
    c.parity = makeList(c.serial, choiceEntries(parityEntry), QRect(380, 30, 88, kRowHeight));
    placedLabel(c.serial, QStringLiteral("停止位:"), 480, 30, 50, kRowHeight);
    c.stop = makeList(c.serial, choiceEntries(stopBitsEntry), QRect(530, 30, 80, kRowHeight));
}

bool CEditDialog::isModifying(FunctionCode function) const {
    return m_pSource != nullptr && m_pSource->function == function;
}

void CEditDialog::OnInitDialog() {
    m_initialising = true;
    m_action = KeyAction{};
    setInitialValues();
    // Each opening starts with fresh panels that read the current source.
    delete m_netPanel;
    delete m_serialPanel;
    m_netPanel = new CNetComData(m_composer, m_pSource);
    m_netPanel->setObjectName(QStringLiteral("netPanel"));
    m_serialPanel = new CNetComData(m_composer, m_pSource);
    m_serialPanel->setObjectName(QStringLiteral("serialPanel"));
    // The panels come after the buttons in creation order; the buttons end the tab chain.
    QWidget::setTabOrder(m_serialPanel->textEdit(CNetComData::kCellCount - 1), m_controls.ok);
    QWidget::setTabOrder(m_controls.ok, m_controls.cancel);
    buildFunctionList();
    m_initialising = false;
    OnFunctionChanged();
}

void CEditDialog::setInitialValues() {
    const Controls& c = m_controls;
    if (isModifying(FunctionCode::Infrared)) {
        c.irCode->setText(QString::fromStdString(strprintf("%d", m_pSource->irCode)));
        setBits(c.irChannels, m_pSource->irChannels);
    } else {
        c.irCode->setText(QStringLiteral("1"));
        setBits(c.irChannels, 0);
    }

    const bool io = isModifying(FunctionCode::Io);
    selectPosition(c.ioOperation, io ? m_pSource->ioOperation : 0);
    setBits(c.ioChannels, io ? m_pSource->ioChannels : 0);
    m_ioOperation = c.ioOperation->currentIndex();

    const bool relay = isModifying(FunctionCode::Relay);
    selectPosition(c.relayOperation, relay ? m_pSource->relayOperation : 0);
    setBits(c.relayChannels, relay ? m_pSource->relayChannels : 0);

    // Tool tips name the address behind each stored target.
    for (int k = 0; k < kNetTargetCount; ++k) {
        NetTarget target = m_model.netTargetAt(k);
        c.netChannel->setItemData(
            kTcp1Position + k,
            QStringLiteral("%1:%2").arg(QString::fromStdString(dottedAddress(target.ip))).arg(target.port),
            Qt::ToolTipRole);
    }
    if (isModifying(FunctionCode::Network)) {
        const SendData& network = m_pSource->network;
        selectPosition(c.netChannel, network.channel, kTcp1Position);
        selectPosition(c.netType, network.type);
        fillCountList(c.netCount, storedBlanks(network));
        selectPosition(c.netCount, storedBlanks(network));
    } else {
        c.netChannel->setCurrentIndex(kTcp1Position);
        c.netType->setCurrentIndex(0);
        fillCountList(c.netCount, 0);
        c.netCount->setCurrentIndex(0);
    }
    const bool customSource =
        m_pSource != nullptr && (m_pSource->network.channel == 0 || m_pSource->network.channel == 1);
    m_customIp = customSource ? m_pSource->network.ip : 0;
    m_customPort = customSource ? m_pSource->network.port : 0;
    c.customIp->setAddress(m_customIp);
    c.customPort->setText(QString::number(m_customPort));

    if (isModifying(FunctionCode::Serial)) {
        const SerialSendData& serial = m_pSource->serial;
        selectPosition(c.serialChannel, serial.channel);
        selectPosition(c.serialType, serial.type);
        fillCountList(c.serialCount, storedBlanks(serial));
        selectPosition(c.serialCount, storedBlanks(serial));
        selectPosition(c.baudrate, serial.baudrate);
        selectPosition(c.dataWidth, serial.dataWidth, kDefaultDataWidth);
        selectPosition(c.parity, serial.adjust);
        selectPosition(c.stop, serial.stop);
    } else {
        c.serialChannel->setCurrentIndex(0);
        c.serialType->setCurrentIndex(0);
        fillCountList(c.serialCount, 0);
        c.serialCount->setCurrentIndex(0);
        c.baudrate->setCurrentIndex(0);
        c.dataWidth->setCurrentIndex(kDefaultDataWidth);
        c.parity->setCurrentIndex(0);
        c.stop->setCurrentIndex(0);
    }
}

void CEditDialog::buildFunctionList() {
    QComboBox* list = m_controls.function;
    list->clear();
    for (const FunctionEntry& entry : kFunctions) {
        if ((m_disabledFunctions & entry.bit) == 0) {
            list->addItem(QString::fromUtf8(functionLabel(entry.code)), functionCodeValue(entry.code));
        }
    }
    if (m_pSource != nullptr) {
        // A key action (or any code the list never offers) leaves the choice empty.
        list->setCurrentIndex(list->findData(functionCodeValue(m_pSource->function)));
        return;
    }
    const int network = list->findData(functionCodeValue(FunctionCode::Network));
    list->setCurrentIndex(network >= 0 ? network : (list->count() > 0 ? 0 : -1));
}

std::optional<FunctionCode> CEditDialog::selectedFunction() const {
    const int position = m_controls.function->currentIndex();
    if (position < 0) {
        return std::nullopt;
    }
    return functionCodeOf(m_controls.function->itemData(position).toInt());
}

bool CEditDialog::customChannelChosen() const {
    const int channel = m_controls.netChannel->currentIndex();
    return channel == 0 || channel == 1;
}

void CEditDialog::OnFunctionChanged() {
    const Controls& c = m_controls;
    c.customFrame->hide();
    const std::optional<FunctionCode> function = selectedFunction();
    auto is = [&function](FunctionCode code) { return function == code; };
    c.infrared->setVisible(is(FunctionCode::Infrared));
    c.io->setVisible(is(FunctionCode::Io));
    c.relay->setVisible(is(FunctionCode::Relay));
    c.network->setVisible(is(FunctionCode::Network));
    c.serial->setVisible(is(FunctionCode::Serial));
    m_netPanel->setVisible(is(FunctionCode::Network));
    m_serialPanel->setVisible(is(FunctionCode::Serial));
    if (is(FunctionCode::Network)) {
        const int n = c.netCount->currentIndex();
        m_netPanel->ShowCells(n);
        m_netPanel->LoadCells(n);
        OnNetCountChanged();
        OnNetChannelChanged();
    } else if (is(FunctionCode::Serial)) {
        const int n = c.serialCount->currentIndex();
        m_serialPanel->ShowCells(n);
        m_serialPanel->LoadCells(n);
        OnSerialCountChanged();
    }
    applyWindowSize();
}

void CEditDialog::OnNetCountChanged() {
    m_netPanel->ShowCells(m_controls.netCount->currentIndex());
    applyWindowSize();
}

void CEditDialog::OnNetChannelChanged() {
    m_controls.customFrame->setVisible(selectedFunction() == FunctionCode::Network && customChannelChosen());
    applyWindowSize();
}

void CEditDialog::OnSerialCountChanged() {
    m_serialPanel->ShowCells(m_controls.serialCount->currentIndex());
    applyWindowSize();
}

void CEditDialog::applyWindowSize() {
    const std::optional<FunctionCode> function = selectedFunction();
    int width = 320;
    int height = 170;
    int okX = 15;
    int cancelX = 145;
    int buttonY = 105;
    if (function == FunctionCode::Relay) {
        okX = 50;
        cancelX = 180;
    } else if (function == FunctionCode::Network || function == FunctionCode::Serial) {
        const bool network = function == FunctionCode::Network;
        const int n = std::max(0, (network ? m_controls.netCount : m_controls.serialCount)->currentIndex());
        const int r = n / 3;
        if (n >= 2) {
            width = 955;
            height = 185 + r * 80 + 60;
            okX = 220;
            cancelX = 510;
            buttonY = 185 + r * 80;
        } else if (network && n == 0 && !customChannelChosen()) {
            height = 245;
            okX = 25;
            cancelX = 165;
            buttonY = 185;
        } else {
            width = 640;
            height = 245;
            okX = 80;
            cancelX = 370;
            buttonY = 185;
        }
    }
    // Where the screen cannot hold the window, it shrinks to what it can and the composer scrolls:
    // the buttons move up by what the composer gives up, and in by what the width gives up.
    const QSize wanted(width, height);
    const QSize fitted = placeWindow(wanted, availableScreenArea(this)).size();
    const int lessHeight = wanted.height() - fitted.height();
    auto inWidth = [&](int x) { return x * fitted.width() / width; };
    setFixedSize(fitted);
    m_controls.ok->setGeometry(inWidth(okX), buttonY - lessHeight, kButtonWidth, kButtonHeight);
    m_controls.cancel->setGeometry(inWidth(cancelX), buttonY - lessHeight, kButtonWidth, kButtonHeight);

    CNetComData* panel = function == FunctionCode::Network  ? m_netPanel
                         : function == FunctionCode::Serial ? m_serialPanel
                                                            : nullptr;
    m_composerArea->setVisible(panel != nullptr);
    if (panel != nullptr) {
        m_composer->resize(panel->size());
        panel->move(0, 0);
        // Only a dimension the screen took from the window scrolls; otherwise the window clips
        // the panel as designed (the 580-pixel panel of no blanks in a 320-pixel window).
        const int lessWidth = width - fitted.width();
        const QSize room(
            lessWidth > 0 ? std::min(panel->width(), fitted.width() - kComposerOrigin.x()) : panel->width(),
            lessHeight > 0 ? std::max(panel->height() - lessHeight, kButtonHeight) : panel->height());
        m_composerArea->resize(room);
    }
}

void CEditDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred over its parent the window may still stick out of the screen; keep it inside.
    const QRect area = availableScreenArea(this).marginsRemoved(kExpectedFrame);
    QRect placed = geometry();
    placed.moveLeft(
        std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() - placed.width() + 1)));
    placed.moveTop(
        std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() - placed.height() + 1)));
    if (placed.topLeft() != geometry().topLeft()) {
        move(placed.topLeft() - (geometry().topLeft() - pos()));
    }
}

bool CEditDialog::refuseWithoutChannel(FunctionCode function, int channels, QWidget* firstBox) {
    std::optional<rules::Refusal> refusal = rules::channelsProblem(function, channels);
    if (!refusal) {
        return false;
    }
    showError(this, QString::fromStdString(refusal->message));
    firstBox->setFocus();
    return true;
}

void CEditDialog::OnOK() {
    const Controls& c = m_controls;
    m_ioOperation = c.ioOperation->currentIndex();
    m_customIp = c.customIp->address();
    const std::optional<int32_t> port = rules::typedInteger(c.customPort->text().toStdString());
    if (!port) {
        showMessage(this, QGuiApplication::applicationDisplayName(), QString::fromUtf8(rules::kNotAnInteger),
                    QMessageBox::Warning);
        return;
    }
    m_customPort = *port;

    const std::optional<FunctionCode> function = selectedFunction();
    if (std::optional<rules::Refusal> refusal = rules::functionProblem(function)) {
        // Nothing chosen (an editor opened on a key action): say so and stay open.
        showError(this, QString::fromStdString(refusal->message));
        c.function->setFocus();
        return;
    }
    KeyAction result;
    switch (*function) {
        case FunctionCode::Infrared: {
            const int mask = bitsOf(c.irChannels);
            if (refuseWithoutChannel(*function, mask, c.irChannels[0])) {
                return;
            }
            const int32_t id = leadingInteger(
                c.irCode->text(), {.maxChars = kIrCodeRead, .allowSign = false, .skipLeadingSpace = false});
            if (std::optional<rules::Refusal> refusal = rules::irCodeProblem(id)) {
                showError(this, QString::fromStdString(refusal->message));
                return;
            }
            result.function = FunctionCode::Infrared;
            result.irChannels = mask;
            result.irCode = id;
            break;
        }
        case FunctionCode::Network:
            if (!m_netPanel->CollectData(c.netCount->currentIndex(), c.netType->currentIndex(),
                                         result.network)) {
                return;
            }
            result.network.channel = c.netChannel->currentIndex();
            result.network.ip = m_customIp;
            result.network.port = portOfNumber(m_customPort);
            result.function = FunctionCode::Network;
            break;
        case FunctionCode::Serial:
            if (!m_serialPanel->CollectData(c.serialCount->currentIndex(), c.serialType->currentIndex(),
                                            result.serial)) {
                return;
            }
            result.serial.channel = c.serialChannel->currentIndex();
            result.serial.baudrate = c.baudrate->currentIndex();
            result.serial.dataWidth = c.dataWidth->currentIndex();
            result.serial.adjust = c.parity->currentIndex();
            result.serial.stop = c.stop->currentIndex();
            result.function = FunctionCode::Serial;
            break;
        case FunctionCode::Io: {
            const int mask = bitsOf(c.ioChannels);
            if (refuseWithoutChannel(*function, mask, c.ioChannels[0])) {
                return;
            }
            result.function = FunctionCode::Io;
            result.ioOperation = m_ioOperation;
            result.ioChannels = mask;
            break;
        }
        case FunctionCode::Relay: {
            const int mask = bitsOf(c.relayChannels);
            if (refuseWithoutChannel(*function, mask, c.relayChannels[0])) {
                return;
            }
            result.function = FunctionCode::Relay;
            result.relayOperation = c.relayOperation->currentIndex();
            result.relayChannels = mask;
            break;
        }
        case FunctionCode::Key:
            // The list never offers it.
            reject();
            return;
    }
    m_action = result;
    accept();
}

}  // namespace velk::ui
