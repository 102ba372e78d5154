// TObject and TFFBaseComponent: the common bases of event senders and components.
#pragma once

// Any object that can be named as the sender of an event or a log message.
class TObject {
 public:
  virtual ~TObject() = default;
};

// A plain component with an owner; the base class of the encoder, probe and log components.
class TFFBaseComponent : public TObject {
 public:
  explicit TFFBaseComponent(TObject* AOwner = nullptr) : FOwner(AOwner) {}
  TObject* Owner() const { return FOwner; }

 private:
  TObject* FOwner;
};
