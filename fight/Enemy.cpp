#include "fight/Enemy.h"

void Enemy::RealizeDestPalette(QImage&) {}
void Enemy::DrawLostSprite(QImage&, const QImage&, int32_t, int32_t, uint8_t) {}
void Enemy::DrawAttackSprite(QImage&, const QImage&, int32_t, int32_t, uint8_t) {}
bool Enemy::LoadSprites(const QString&, uint8_t, uint8_t, uint32_t) { return false; }
void Enemy::DrawSprite(QImage&, const QImage&, int32_t, int32_t, int, int, int, int) {}
