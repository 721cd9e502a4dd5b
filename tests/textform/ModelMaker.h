#pragma once

#include <algorithm>
#include <climits>
#include <random>

#include "action/TextRules.h"
#include "model/ConfigModel.h"

namespace velk::text {

// Random models of everything a project file can hold, including values no form offers.
class ModelMaker {
public:
    explicit ModelMaker(uint32_t variant) : m_random(variant) {}

    ConfigModel make() {
        ConfigModel model;
        model.reset();
        for (int i = 0; i < pick(0, 4); ++i) {
            EnumVariable e;
            e.index = number();
            if (e.index == INT_MIN) {
                continue;
            }
            e.type = pick(0, 3) == 0 ? number() : pick(0, 1);
            e.data.clear();
            for (int k = 0; k < pick(0, 10); ++k) {
                std::string value = text();
                if (e.type != kAscii) {
                    std::optional<std::string> normal = normalizeHexText(hexText());
                    if (!normal) {
                        continue;
                    }
                    value = *normal;
                }
                e.data.push_back(value);
            }
            model.setEnum(e.index - 1, e);
        }
        for (int i = 0; i < pick(0, 4); ++i) {
            Variable v{number(), number(), number(), number(), number()};
            if (v.index != INT_MIN) {
                model.setVariable(v.index - 1, v);
            }
        }
        for (int i = 0; i < pick(0, 4); ++i) {
            NetTarget t{static_cast<uint32_t>(number()), static_cast<uint16_t>(pick(0, 65535)), number()};
            if (t.index != INT_MIN) {
                model.setNetTarget(t.index - 1, t);
            }
        }
        for (int i = 0; i < pick(0, 6); ++i) {
            const auto slot = static_cast<size_t>(pick(0, kSlotCount - 1));
            model.eventSettings[slot] = {number(), number(), number(), number(), number(), text()};
            for (int k = 0; k < pick(0, 5); ++k) {
                KeyAction a = action();
                // Ids are the key of a slot's table.
                if (std::none_of(model.actions[slot].begin(), model.actions[slot].end(),
                                 [&](const KeyAction& other) { return other.id == a.id; })) {
                    model.actions[slot].push_back(a);
                }
            }
        }
        return model;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    int32_t number() {
        switch (pick(0, 4)) {
            case 0:
                return INT_MIN;
            case 1:
                return INT_MAX;
            case 2:
                return pick(-3, 12);
            default:
                return static_cast<int32_t>(m_random());
        }
    }

    std::string text() {
        static const std::vector<std::string> pieces = {
            "a",        " ",    "'",    "\"",   "\\", "$", "$24", "\t", "\n", "\r", "\x7f",    "\x01",
            "\xd6\xd0", "\x81", "\xff", "\x80", "#",  "=", "[",   "]",  "{",  "}",  "\xa1\xa1"};
        std::string out;
        for (int i = 0; i < pick(0, 6); ++i) {
            out += pieces[static_cast<size_t>(pick(0, static_cast<int>(pieces.size()) - 1))];
        }
        return out;
    }

    std::string hexText() {
        std::string out;
        for (int i = 0; i < pick(1, 4); ++i) {
            out += std::to_string(pick(0, 9)) + " ";
        }
        return out;
    }

    Placeholder placeholder() {
        Placeholder p;
        p.kind = pick(0, 4) == 0 ? number() : pick(0, 2);
        p.digits = number();
        if (p.kind == kKindInput) {
            p.modeIndex = number();
            p.countIndex = number();
            p.overflowIndex = number();
        } else if (p.kind == kKindEnum) {
            p.enumIndex = number();
            p.groupIndex = number();
            p.loopIndex = number();
            p.saveIndex = number();
            p.enumDirection = number();
        } else {
            p.varIndex = number();
            p.step = number();
            p.interval = number();
            p.varDirection = number();
        }
        return p;
    }

    void sendData(SendData& data) {
        data.type = pick(0, 3) == 0 ? number() : pick(0, 1);
        data.channel = number();
        data.varNum = pick(0, 10);
        data.texts = {text()};
        for (int k = 0; k < data.varNum; ++k) {
            data.placeholders.push_back(placeholder());
            data.texts.push_back(text());
        }
    }

    KeyAction action() {
        KeyAction a;
        a.id = number();
        a.function = *functionCodeOf(pick(0, 5));
        switch (a.function) {
            case FunctionCode::Infrared:
                a.irChannels = number();
                a.irCode = number();
                break;
            case FunctionCode::Io:
                a.ioChannels = number();
                a.ioOperation = number();
                break;
            case FunctionCode::Relay:
                a.relayChannels = number();
                a.relayOperation = number();
                break;
            case FunctionCode::Key:
                a.keyChannel = number();
                break;
            case FunctionCode::Network:
                sendData(a.network);
                a.network.ip = static_cast<uint32_t>(number());
                a.network.port = pick(0, 65535);
                break;
            case FunctionCode::Serial:
                sendData(a.serial);
                a.serial.baudrate = number();
                a.serial.dataWidth = number();
                a.serial.adjust = number();
                a.serial.stop = number();
                break;
        }
        return a;
    }

    std::mt19937 m_random;
};

}  // namespace velk::text
