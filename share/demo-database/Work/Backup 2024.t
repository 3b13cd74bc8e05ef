:\src
:\docs
