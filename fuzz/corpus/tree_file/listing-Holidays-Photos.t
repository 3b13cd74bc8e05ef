:\Games
:\Music
:\Games\Old
:\Games\Saves
