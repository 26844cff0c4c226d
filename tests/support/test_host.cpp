#include "support/test_host.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {
constexpr VstIntPtr kTestHostVersion = 10203; // 1.2.3
} // namespace

TestHost::TestHost() {
    SetIdentity(kProduct, kTestHostVersion);
    SetRecording(true);
}

TestHost::TestHost(const std::string& libraryPath, const char* product) : TestHost() {
    SetIdentity(product, kTestHostVersion);
    library_ = std::make_shared<vhost::DynamicLibrary>(libraryPath);
    entry_ = vhost::PluginInstance::EntryOf(*library_);
}

TestHost::TestHost(VstPluginEntryProc entry, const char* product) : TestHost() {
    SetIdentity(product, kTestHostVersion);
    entry_ = entry;
}

TestHost::~TestHost() {
    CloseAll();
}

AEffect* TestHost::Create() {
    instances_.push_back(
        vhost::PluginInstance::FromEntry(entry_, *this, library_, vhost::Startup::CreateOnly));
    return &instances_.back()->Effect();
}

AEffect* TestHost::Open(double sampleRate, VstInt32 blockSize) {
    instances_.push_back(vhost::PluginInstance::FromEntry(entry_, *this, library_));
    instances_.back()->Prepare(sampleRate, blockSize);
    instances_.back()->SetActive(true);
    return &instances_.back()->Effect();
}

void TestHost::Close(AEffect* effect) {
    std::erase_if(instances_, [&](const auto& i) { return &i->Effect() == effect; });
}

vhost::PluginInstance& TestHost::Instance(AEffect* effect) {
    for (const auto& i : instances_)
        if (&i->Effect() == effect) return *i;
    throw std::logic_error("not an instance of this host");
}

std::string TestHost::Text(AEffect* e, VstInt32 opcode, VstInt32 index) {
    char buffer[256];
    std::memset(buffer, 'X', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    Dispatch(e, opcode, index, 0, buffer);
    return buffer;
}

int TestHost::Count(VstInt32 opcode, VstInt32 index) const {
    return static_cast<int>(index < 0 ? HostCallback::Count(opcode)
                                      : HostCallback::Count(opcode, index));
}

int TestHost::EditCount(EditEvent::Kind kind, VstInt32 index) const {
    const std::vector<EditEvent> events = EditEvents();
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const EditEvent& e) {
        return e.kind == kind && (index < 0 || e.index == index);
    }));
}

bool TestHost::SawEditEnd(VstInt32 index) const {
    const std::vector<EditEvent> events = EditEvents();
    auto last = [&](EditEvent::Kind kind) {
        for (std::size_t i = events.size(); i-- > 0;)
            if (events[i].kind == kind && events[i].index == index) return static_cast<int>(i);
        return -1;
    };
    const int begin = last(EditEvent::Begin), end = last(EditEvent::End);
    if (begin < 0 || end < begin) return false;
    for (int i = begin + 1; i < end; ++i)
        if (events[i].kind == EditEvent::Automate && events[i].index == index) return true;
    return false;
}

bool TestHost::SawEdit(VstInt32 index) const {
    return Count(audioMasterBeginEdit, index) == 1 && Count(audioMasterEndEdit, index) == 1 &&
           SawEditEnd(index);
}
