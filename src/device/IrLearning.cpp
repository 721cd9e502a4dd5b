#include "device/IrLearning.h"

#include "device/Commands.h"
#include "device/FormNumbers.h"

namespace velk {

IrLearnRequest learnIrCommand(const std::string& idText) {
    long long id = leadingDecimal(idText);
    if (id < kMinIrCode || id > kMaxIrCode) {
        return {{}, "红外ID范围为1到64"};
    }
    return {MakeLearnIr(static_cast<int>(id)), {}};
}

}  // namespace velk
