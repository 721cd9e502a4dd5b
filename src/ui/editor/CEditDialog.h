#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

#include "model/ConfigModel.h"
#include "session/ProjectSession.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace velk::ui {

class CNetComData;
class Ipv4Edit;

// The action editor "添加数据": builds one KeyAction for an event slot, or changes one. It shows one
// function at a time; network and serial data are composed in two CNetComData panels. Nothing is
// written anywhere by the editor; the caller reads action() after Accepted.
class CEditDialog : public QDialog {
    Q_OBJECT
public:
    explicit CEditDialog(const ConfigModel& model, QWidget* parent = nullptr);

    // The slot, the functions not to offer and the action modified (none when adding). Sets every
    // control to its initial value, as opening the editor does.
    void setRequest(const ProjectSession::ActionEditRequest& request);

    KeyAction action() const { return m_action; }

    // Runs the editor modally; the action on OK, nothing when it was cancelled.
    static std::optional<KeyAction> edit(QWidget* parent, const ConfigModel& model,
                                         const ProjectSession::ActionEditRequest& request);

    // Every control of the editor, for its tests and screenshots.
    struct Controls {
        QComboBox* function = nullptr;
        QWidget* infrared = nullptr;
        std::array<QCheckBox*, 4> irChannels{};
        QLineEdit* irCode = nullptr;
        QWidget* io = nullptr;
        std::array<QCheckBox*, 2> ioChannels{};
        QComboBox* ioOperation = nullptr;
        QWidget* relay = nullptr;
        std::array<QCheckBox*, 2> relayChannels{};
        QComboBox* relayOperation = nullptr;
        QWidget* network = nullptr;
        QComboBox* netChannel = nullptr;
        QComboBox* netType = nullptr;
        QComboBox* netCount = nullptr;
        QGroupBox* customFrame = nullptr;
        Ipv4Edit* customIp = nullptr;
        QLineEdit* customPort = nullptr;
        QWidget* serial = nullptr;
        QComboBox* serialChannel = nullptr;
        QComboBox* serialType = nullptr;
        QComboBox* serialCount = nullptr;
        QComboBox* baudrate = nullptr;
        QComboBox* dataWidth = nullptr;
        QComboBox* parity = nullptr;
        QComboBox* stop = nullptr;
        QPushButton* ok = nullptr;
        QPushButton* cancel = nullptr;
    };
    const Controls& controls() const { return m_controls; }
    CNetComData* netPanel() const { return m_netPanel; }
    // Where the composer panels sit; it scrolls when the screen cannot hold the whole window.
    QScrollArea* composerArea() const { return m_composerArea; }
    CNetComData* serialPanel() const { return m_serialPanel; }

    int eventIndex() const { return m_eventIndex; }

    // The function code of the selected entry of "功能选择：", or nothing (a key action's editor).
    std::optional<FunctionCode> selectedFunction() const;

private:
    void OnInitDialog();
    void OnFunctionChanged();
    void OnNetCountChanged();
    void OnNetChannelChanged();
    void OnSerialCountChanged();
    void OnOK();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildInfrared();
    void buildIo();
    void buildRelay();
    void buildNetwork();
    void buildCustomAddress();
    void buildSerial();
    void setInitialValues();
    void buildFunctionList();
    void applyWindowSize();
    bool isModifying(FunctionCode function) const;
    bool customChannelChosen() const;
    // Shows why an action without a channel cannot be taken; true when it was refused.
    bool refuseWithoutChannel(FunctionCode function, int channels, QWidget* firstBox);

    const ConfigModel& m_model;
    int m_disabledFunctions = 0;
    int m_eventIndex = 0;
    std::optional<KeyAction> m_source;
    const KeyAction* m_pSource = nullptr;

    KeyAction m_action;
    int m_ioOperation = 0;
    uint32_t m_customIp = 0;
    int m_customPort = 0;

    Controls m_controls;
    CNetComData* m_netPanel = nullptr;
    CNetComData* m_serialPanel = nullptr;
    QScrollArea* m_composerArea = nullptr;
    QWidget* m_composer = nullptr;  // the scroll area's content, holding both panels
    bool m_initialising = false;
};

}  // namespace velk::ui
