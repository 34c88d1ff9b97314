#pragma once

namespace qm {

// One outside service a test can replace: the standard one unless another is
// installed.
template <class Service, class Standard> class ServiceSlot {
public:
    Service& current()
    {
        static Standard standard;
        return m_installed ? *m_installed : standard;
    }
    // nullptr restores the standard one; returns the one before.
    Service* install(Service* service)
    {
        Service* previous = m_installed;
        m_installed = service;
        return previous;
    }

private:
    Service* m_installed = nullptr;
};

// Installs a service for the lifetime of the guard.
template <class Service, Service* (*Install)(Service*)> class ScopedService {
public:
    explicit ScopedService(Service* service) : m_previous(Install(service)) {}
    ~ScopedService() { Install(m_previous); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service* m_previous;
};

} // namespace qm
