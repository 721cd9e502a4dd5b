#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;

namespace velk::ui {

// An IPv4 address control of four octet fields (0..255) with "." between them. Empty fields count
// as 0; the first field is the most significant byte. Typing walks the fields as the platform's
// address control does: a third digit moves on, "." moves on from a field with digits (and does
// nothing right after a move), Backspace at a field's start and the arrow keys at its edges cross
// into the neighbouring field. A dotted address pasted into any field ("192.168.1.20", also with
// ":port") fills all four.
class Ipv4Edit : public QWidget {
    Q_OBJECT
public:
    explicit Ipv4Edit(QWidget* parent = nullptr);

    uint32_t address() const;
    void setAddress(uint32_t address);
    QLineEdit* field(int index) const { return m_fields.at(static_cast<size_t>(index)); }

    // Takes a pasted text that holds a dotted address; false (nothing changes) when it holds none.
    bool takePastedAddress(const QString& text);

signals:
    void addressEdited();
    // A pasted address filled the fields; port is the one after a ":", or -1.
    void addressPasted(uint32_t address, int port);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class FieldEntry { SelectAll, AtStart, AtEnd };
    void enterField(size_t index, FieldEntry entry);

    std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace velk::ui
