#include "link/hid/hid_device.h"

#include <utility>

#include "link/hid/hid_device_controller.h"
#include "link/hid/hid_read_state.h"
#include "link/hid/hid_read_thread.h"
#include "link/hid/hid_strings.h"

THidDevice::THidDevice(HidPlatform& platform, std::unique_ptr<THidPnPInfo> PnPInfo,
                       THidDeviceController* owner, THidDataEvent dataHandler,
                       THidPlugEvent unplugHandler)
    : m_platform(platform),
      m_owner(owner),
      m_PnPInfo(std::move(PnPInfo)),
      m_readState(std::make_shared<HidReadState>(platform, m_PnPInfo->DevicePath())) {
    SetDataHandler(std::move(dataHandler));
    m_UnplugHandler = std::move(unplugHandler);
    auto opened = openMain();
    if (!opened.handle) {
        throw EControllerError(kDeviceCannotBeOpened, opened.error.code, opened.error.reason);
    }
    const std::optional<HidAttributes> attributes = opened.handle->attributes();
    if (!attributes) throw EControllerError(kDeviceCannotBeIdentified);
    m_HidAttributes = *attributes;
}

THidDevice::~THidDevice() {
    const THidDataEvent dataHandler = m_DataHandler;
    const THidPlugEvent unplugHandler = m_UnplugHandler;
    SetDataHandler({});
    m_UnplugHandler = {};
    CloseHandles();
    m_preparsed.reset();
    if (m_owner != nullptr) m_owner->relist(*this, dataHandler, unplugHandler);
}

HidOpenResult<std::unique_ptr<HidHandle>> THidDevice::openMain() {
    auto opened = m_platform.open(m_PnPInfo->DevicePath(), HidAccess::ReadWrite);
    m_ReadWriteAccess = opened.handle != nullptr;
    if (opened.handle) return opened;
    auto queries = m_platform.open(m_PnPInfo->DevicePath(), HidAccess::QueryOnly);
    // The read-write refusal says what the user would have to change.
    if (!queries.handle) queries.error = opened.error;
    return queries;
}

bool THidDevice::PluggedIn() const {
    return m_readState->PluggedIn.load();
}

bool THidDevice::CheckedOut() const {
    return m_readState->CheckedOut.load();
}

bool THidDevice::Enumerating() const {
    return m_readState->Enumerating.load();
}

bool THidDevice::IsUsable() const {
    return m_readState->IsUsable();
}

void THidDevice::setCheckedOut(bool checkedOut) {
    m_readState->CheckedOut.store(checkedOut);
}

void THidDevice::setEnumerating(bool enumerating) {
    m_readState->Enumerating.store(enumerating);
}

bool THidDevice::OpenMainHandle() {
    if (IsUsable() && !m_MainHandle) {
        m_MainHandle = openMain().handle;
        if (m_MainHandle) {
            if (m_InputBufferCount != 0) m_MainHandle->setNumInputBuffers(m_InputBufferCount);
            m_InputBufferCount = m_MainHandle->numInputBuffers().value_or(0);
        }
    }
    return m_MainHandle != nullptr;
}

void THidDevice::CloseMainHandle() {
    m_MainHandle.reset();
    m_InputBufferCount = 0;
}

void THidDevice::CloseReadHandle() {
    m_readState->closeReadHandle();
}

void THidDevice::CloseHandles() {
    CloseMainHandle();
    CloseReadHandle();
}

bool THidDevice::ReadHandleOpen() const {
    return m_readState->readHandleOpen();
}

std::uint32_t THidDevice::ReadInputBufferCount() const {
    return m_readState->ReadInputBufferCount();
}

QString THidDevice::ProductString() {
    if (m_ProductString.isEmpty() && OpenMainHandle()) {
        HidStringBuffer buffer{};
        if (m_MainHandle->productString(buffer)) m_ProductString = textUpToZero(buffer);
        CloseMainHandle();
    }
    return m_ProductString;
}

QString THidDevice::SerialString() {
    if (m_SerialString.isEmpty() && OpenMainHandle()) {
        HidStringBuffer serial{};
        if (m_MainHandle->serialNumberString(serial)) {
            HidStringBuffer languages;
            languages.fill(0xFFFF);
            if (m_MainHandle->languageTable(languages) == HidLanguageTableQuery::Withheld) {
                m_SerialString = textUpToZero(serial);
            } else {
                m_SerialString = serialStringRule(serial, languages);
            }
        }
        CloseMainHandle();
    }
    return m_SerialString;
}

std::uint16_t THidDevice::InputReportLength() {
    if (!m_preparsedFetched && OpenMainHandle()) {
        if (const auto descriptor = m_MainHandle->reportDescriptor()) {
            m_preparsed = parseReportDescriptor(*descriptor);
            m_preparsedFetched = true;
        }
        CloseMainHandle();
    }
    return m_preparsed ? m_preparsed->inputReportLength : 0;
}

bool THidDevice::SendFeatureReport(const std::uint8_t* buffer, std::uint16_t length) {
    if (!OpenMainHandle()) return false;
    return m_MainHandle->setFeature({buffer, length});
}

void THidDevice::SetDataHandler(THidDataEvent handler) {
    if (!handler) StopReader();
    m_DataHandler = std::move(handler);
    StartReader();
}

void THidDevice::setReaderSleepTime(std::int32_t ms) {
    if (ms >= kMinReaderSleepTime && ms <= kMaxReaderSleepTime) m_ReaderSleepTime = ms;
}

void THidDevice::MarkUnplugged() {
    // Unusable first: a reader opening its handle right now then drops it.
    m_readState->PluggedIn.store(false);
    CloseHandles();
    // Cleared before the call, so a handler that releases the device leaves nothing to do.
    const THidPlugEvent handler = std::exchange(m_UnplugHandler, {});
    if (handler) handler(*this);
}

void THidDevice::StartReader() {
    if (!m_DataHandler || !PluggedIn() || !CheckedOut() || !m_ReadWriteAccess || m_Reader) return;
    const std::uint16_t length = InputReportLength();
    // Nothing to read: a reader would fail at once, again and again.
    if (length == 0) return;
    m_Reader = std::make_unique<THidDeviceReadThread>(*this, m_readState, length);
}

void THidDevice::StopReader() {
    if (!m_Reader) return;
    std::unique_ptr<THidDeviceReadThread> reader = std::move(m_Reader);
    HandOver& handOver = reader->handOver();
    if (handOver.running()) {
        // Inside the reader's own handler: the thread waits for this very call to return.
        reader->requestStop();
        handOver.releaseAfterCall(std::shared_ptr<THidDeviceReadThread>(std::move(reader)));
        return;
    }
    reader.reset();  // stops and joins
}

void THidDevice::deliverReport(const std::uint8_t* report, std::size_t bytes) {
    const THidDataEvent handler = m_DataHandler;
    if (handler) handler(*this, report[0], report + 1, static_cast<std::uint16_t>(bytes - 1));
}

void THidDevice::deliverError(std::uint32_t error) {
    const THidDataErrorEvent handler = m_DataErrorHandler;
    if (handler) handler(*this, error);
}
