#include "ui/noise_reduction_page.h"

#include "base/prompter.h"
#include "base/sample_range.h"
#include "model/multitracker_doc.h"
#include "model/wizard_compilation.h"
#include "plugins/class_com.h"
#include "plugins/effect_catalog.h"
#include "ui/transport_control.h"

#include <QFormLayout>
#include <QPushButton>
#include <QSlider>

namespace quillon {

namespace {
constexpr const char* kClassComError = "Unable to create instance of class com interface (ClassCom Error).";
}

NoiseReductionPage::NoiseReductionPage(CMultitrackerDoc& doc, Prompter& prompter, TransportControl* transport, bool lp,
                                       QWidget* parent)
    : WizardPage(parent), m_doc(doc), m_prompter(prompter), m_transport(transport), m_lp(lp)
{
    auto* form = new QFormLayout(this);
    const char* names[4] = {"Denoiser Level", "Derumble Level", "Declicker Level", "Decrackler Level"};
    const int initial[4] = {50, 50, 50, 30};
    for (int i = 0; i < 4; ++i) {
        m_sliders[i] = new QSlider(Qt::Horizontal, this);
        m_sliders[i]->setRange(0, 100);
        m_sliders[i]->setValue(initial[i]);
        if (i < 2 || m_lp)
            form->addRow(tr(names[i]), m_sliders[i]);
        else
            m_sliders[i]->hide();
        connect(m_sliders[i], &QSlider::valueChanged, this, [this, i] { levelChanged(i); });
    }
    m_preview = new QPushButton(tr("Preview"), this);
    form->addRow(m_preview);
    connect(m_preview, &QPushButton::clicked, this, &NoiseReductionPage::preview);
}

QString NoiseReductionPage::description() const
{
    return tr("Adjust the level of noise reduction to what you find optimal. You can hear the result by clicking "
              "\"preview\".");
}

void NoiseReductionPage::activate(WizardFrame& frame) { frame.setFlags(WizardFrame::kPrevious | WizardFrame::kNext); }

void NoiseReductionPage::leave()
{
    if (m_transport && m_transport->isPlaying())
        m_transport->stopPlayback();
    m_preview->setText(tr("Preview"));
    m_live[0] = m_live[1] = nullptr;
}

std::vector<std::unique_ptr<CTransformPlugin>> NoiseReductionPage::buildEffects()
{
    std::vector<std::unique_ptr<CTransformPlugin>> effects;
    EffectCatalog* catalog = EffectCatalog::current();
    const char* names[2] = {kEffectA, kEffectB};
    for (int e = 0; e < (m_lp ? 2 : 1); ++e) {
        const EffectCatalogEntry* entry = nullptr;
        if (catalog)
            for (const EffectCatalogEntry& candidate : catalog->entries())
                if (candidate.name == names[e]) {
                    entry = &candidate;
                    break;
                }
        try {
            std::unique_ptr<CTransformPlugin> effect = entry ? CTransformPlugin::createFromEntry(*entry, *catalog) : nullptr;
            if (!effect)
                throw ClassCom(QUILLON_E_FAIL);
            effect->setFormat(m_doc.format().nSamplesPerSec, m_doc.format().nChannels);
            effect->setParameter(0, float(m_sliders[2 * e]->value()) * 0.01f);
            effect->setParameter(1, float(m_sliders[2 * e + 1]->value()) * 0.01f);
            effects.push_back(std::move(effect));
        } catch (const ClassCom&) {
            m_prompter.showMessage(kClassComError, PromptIcon::Error);
            return {};
        }
    }
    return effects;
}

void NoiseReductionPage::levelChanged(int index)
{
    CTransformPlugin* effect = m_live[index / 2];
    if (effect)
        effect->setParameter(uint32_t(index % 2), float(m_sliders[index]->value()) * 0.01f);
}

void NoiseReductionPage::preview()
{
    if (m_transport && m_transport->isPlaying()) {
        m_transport->stopPlayback();
        m_preview->setText(tr("Preview"));
        m_live[0] = m_live[1] = nullptr;
        return;
    }
    std::vector<std::unique_ptr<CTransformPlugin>> effects = buildEffects();
    if (effects.empty())
        return;
    m_live[0] = effects[0].get();
    m_live[1] = effects.size() > 1 ? effects[1].get() : nullptr;
    auto clip = std::make_unique<CAudioClip>(&m_doc.format());
    if (!clip->openFile(0, m_recording, &m_prompter))
        return;
    std::vector<std::unique_ptr<CAudioClip>> whole;
    whole.push_back(std::move(clip));
    WizardCompilation::finish(m_doc, std::move(whole), 0, std::move(effects));
    if (m_transport) {
        m_transport->play(SampleRange(0, m_doc.projectLength()), nullptr, false);
        m_preview->setText(tr("Stop"));
    }
}

} // namespace quillon
